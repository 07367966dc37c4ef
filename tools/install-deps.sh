#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# As root it runs apt-get; otherwise it names the missing packages and stops.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools libgl-dev libpcre2-dev
          xvfb xauth xclip x11-utils imagemagick fonts-ipafont-gothic
          qt6-translations-l10n openbox xdotool libxcb1-dev)
# Packaging: the .deb (dpkg-shlibdeps, file) and the validators of its desktop files.
packages+=(dpkg-dev file desktop-file-utils appstream)
# Fuzzing: clang with libFuzzer and the sanitizer runtimes.
packages+=(clang libclang-rt-14-dev)
# The regular-expression comparison tests use node when it is there.
command -v node >/dev/null 2>&1 || packages+=(nodejs)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
