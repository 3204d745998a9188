#!/bin/sh
# Times MPEG-4 encoding of the codec benchmark's frames by the ffmpeg command, with the settings
# the codec uses at the default quality of 80 (key frame every 5 frames, no B-frames, bit rate
# width x 80 x 180), so its frames per second can be set beside BM_Mpeg4EncodeUyvy's.
# Usage: bench/ffmpeg_mpeg4_encode.sh <build directory>
set -eu
build=${1:-build}
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
MIRDAL_CODEC_FRAMES="$frames" "$build/bench/mirdal-codec-bench" --benchmark_filter=BM_Mpeg4EncodeUyvy \
    --benchmark_min_time=0.01 >/dev/null 2>&1
for size in 352x288 704x576; do
    width=${size%x*}
    bytes=$(stat -c %s "$frames/frames_$size.raw")
    count=$((bytes / (width * ${size#*x} * 2)))
    for threads in 1 auto; do
        # ffmpeg -benchmark prints "bench: utime=...s stime=...s rtime=...s": processor time in
        # user mode and wall-clock time. Google Benchmark's items_per_second is per processor second.
        times=$(ffmpeg -nostdin -hide_banner -benchmark -f rawvideo -pix_fmt uyvy422 -s "$size" \
            -i "$frames/frames_$size.raw" -c:v mpeg4 -g 5 -bf 0 -b:v $((width * 80 * 180)) \
            -threads "$threads" -f null - 2>&1 | sed -n 's/.*utime=\([0-9.]*\)s.*rtime=\([0-9.]*\)s.*/\1 \2/p')
        utime=${times% *}
        rtime=${times#* }
        echo "ffmpeg -c:v mpeg4 $size threads=$threads: $count frames," \
            "$(echo "$count / $utime" | bc -l | xargs printf '%.1f') frames per processor second," \
            "$(echo "$count / $rtime" | bc -l | xargs printf '%.1f') frames per second of wall time"
    done
done
