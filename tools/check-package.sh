#!/usr/bin/env bash
# Builds the .deb from ./build, unpacks it into a temporary root and checks it as the
# desktop will see it: the validators, the program's version, where its settings go, and a
# start from its menu entry on a private X display. Run after tools/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
id=io.github.quorvel.Quorvel

fail() {
    echo "check-package: $*" >&2
    exit 1
}

cmake --build "$build" >/dev/null
rm -f "$build"/quorvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/quorvel_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no quorvel_*.deb"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $deb"
echo "Depends: $depends"
for needed in libqt6widgets6 libpcre2-16-0 qt6-qpa-plugins; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed"
done

# apt finds every dependency in Debian's archive (its lists are there once install-deps.sh
# has installed anything).
if [[ $(apt-cache policy libqt6widgets6) == *"Candidate: "[0-9]* ]]; then
    apt-get install --simulate --no-install-recommends "./$deb" >/dev/null ||
        fail "apt cannot install $deb"
    echo "apt: $deb installs with its dependencies"
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
apps=$root/usr/share/applications
for file in "$root/usr/bin/Quorvel" "$root/usr/bin/QuorvelMate" "$apps/$id.desktop" \
    "$apps/io.github.quorvel.QuorvelMate.desktop" "$root/usr/share/metainfo/$id.metainfo.xml" \
    "$root/usr/share/icons/hicolor/scalable/apps/$id.svg"; do
    [ -f "$file" ] || fail "missing ${file#"$root"}"
done
for size in 48 256; do
    [[ $(file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png") == \
        *"PNG image data, $size x $size,"* ]] || fail "no ${size} px icon"
done

desktop-file-validate "$apps"/*.desktop
echo "desktop-file-validate: no complaints"
appstreamcli validate --no-net --strict --explain "$root/usr/share/metainfo/$id.metainfo.xml"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo has no release $version"

# The unpacked program runs on the system's Qt.
reported=$("$root/usr/bin/Quorvel" --version)
echo "installed program: $reported"
[ "$reported" = "Quorvel $version" ] || fail "--version says \"$reported\", not $version"

# The settings go to the user's configuration folder, never beside the installed program.
home=$root/home
mkdir -p "$home"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/Quorvel" --screenshot "$root/palette.png" >/dev/null
[ -f "$XDG_CONFIG_HOME/Quorvel/Quorvel.xml" ] || fail "no setting file in $XDG_CONFIG_HOME/Quorvel"
[ -z "$(find "$root/usr" -name '*.xml' ! -name "$id.metainfo.xml")" ] ||
    fail "a setting file was written beside the installed program"

# Started as the menu does it: each window comes up with its entry's class and our icon.
for entry in "$apps/$id.desktop" "$apps/io.github.quorvel.QuorvelMate.desktop"; do
    # shellcheck disable=SC2016 # expanded by the shell on the private display
    tools/with-xvfb.sh bash -c '
        set -euo pipefail
        entry=$1
        command=$(sed -n "s/^Exec=//p" "$entry" | sed "s/ %[fFuU]//")
        class=$(sed -n "s/^StartupWMClass=//p" "$entry")
        PATH="$2:$PATH" $command &
        pid=$!
        window=
        for _ in $(seq 50); do
            window=$(xwininfo -root -tree | grep -F "\"$class\")" | awk "{print \$1}" |
                head -n 1 || true)
            [ -n "$window" ] && break
            sleep 0.2
        done
        icon=$([ -n "$window" ] && xprop -id "$window" _NET_WM_ICON | head -n 2 || true)
        kill "$pid"
        wait "$pid" || true
        fail() {
            echo "check-package: ${entry##*/}: $*" >&2
            exit 1
        }
        [ -n "$window" ] || fail "no window of class $class"
        [[ $icon == *"Icon (48 x 48)"* ]] || fail "the window does not show the program icon"
        echo "menu start: ${entry##*/} opened window $window of class $class with the icon"
    ' _ "$entry" "$root/usr/bin"
done
echo "check-package: all checks passed"
