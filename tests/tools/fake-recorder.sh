#!/bin/sh
# Plays the recorder in the mirdal-watchdog tests. It notes its start, starts mirdal-watchdog the
# way the recorder does (no arguments but the test's grace period, from the working directory),
# then behaves as the line of the file "behaviour" for its start number says (the last line for
# later starts):
#   empty  empties __poll every 0.1 s, like a healthy recorder
#   hang   lives on without emptying it
#   crash  kills itself once mirdal-watchdog watches it (before that it could not learn the
#          command to restart)
# A file "stop" makes any instance shut down in order: "die" into __poll, then end.
count=$(($(cat starts 2>/dev/null | wc -l) + 1))
{
    printf 'start %s %s' "$$" "$(pwd -P)"
    for argument in "$@"; do printf ' [%s]' "$argument"; done
    printf '\n'
} >> starts
echo "$$" >> processes
"$MIRDAL_TEST_WATCHDOG" --grace-seconds "$MIRDAL_TEST_GRACE" &
echo "$!" >> processes

behaviour=$(sed -n "${count}p" behaviour)
[ -n "$behaviour" ] || behaviour=$(tail -n 1 behaviour)
while :; do
    if [ -e stop ]; then
        printf die > __poll
        exit 0
    fi
    case "$behaviour" in
        empty) : > __poll ;;
        crash) grep -q Watching mirdal-watchdog.log 2>/dev/null && kill -9 $$ ;;
    esac
    sleep 0.1
done
