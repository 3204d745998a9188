#!/usr/bin/env bash
# Installs every Debian package the recorder, its tests and its benchmarks need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache git
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # GUI
  libwxgtk3.2-dev libglew-dev libgl-dev
  # index database
  libsqlite3-dev sqlite3
  # codecs and pictures
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libtheora-dev libogg-dev libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev
  # network cameras
  libcurl4-openssl-dev
  # test judges and the headless display
  ffmpeg curl chromium xvfb xauth openbox xdotool x11-utils imagemagick
  # decimal-comma locales, so tests can prove settings ignore the process locale
  locales
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
else
  sudo=""
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

for locale in de_DE fi_FI; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$"; then
    $sudo localedef -i "$locale" -f UTF-8 "${locale}.UTF-8"
  fi
done
