#!/usr/bin/env bash
# Installs the build into a scratch folder, as a package would lay it out
# under /usr, and checks what a desktop and a user rely on there.
#   check-install.sh BUILD_DIR
set -euo pipefail

build_dir=$1
id=com.tandrel.Pairsight
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "check-install: $*" >&2
    exit 1
}

DESTDIR=$scratch/root cmake --install "$build_dir" --prefix /usr >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }
usr=$scratch/root/usr

for file in bin/pairsight bin/pairsight-compare \
    share/pairsight/Languages/LanguageCodes.csv share/pairsight/Languages/German.lang.txt \
    share/pairsight/license.txt share/doc/pairsight/copyright share/doc/pairsight/changelog.gz \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/man/man1/pairsight.1.gz share/man/man1/pairsight-compare.1.gz; do
    [ -s "$usr/$file" ] || fail "$file is not installed"
done
# Each icon is a PNG of the size its folder names (width and height are the
# big-endian words at bytes 16 and 20).
for size in 16 24 32 48 64 128 256 512; do
    icon=$usr/share/icons/hicolor/${size}x$size/apps/$id.png
    [ -s "$icon" ] || fail "no $size px icon"
    read -r w h < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
    [ "$w $h" = "$size $size" ] || fail "$icon is $w x $h"
done

desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net --explain "$usr/share/metainfo/$id.metainfo.xml" >"$scratch/appstream.log" ||
    { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate failed"; }

# The installed programs run from where they were installed, with no file
# of the build tree beside them; nothing they write reaches the user's files.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_RUNTIME_DIR=$scratch/run \
    QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
version=$("$usr/bin/pairsight-compare" --version)
[[ $version == "Pairsight "[0-9]* ]] || fail "pairsight-compare --version printed: $version"
[ "$("$usr/bin/pairsight" --version)" = "$version" ] || fail "the two programs disagree on the version"
printf 'b\nc\n' >"$scratch/one.txt"
printf 'a\nb\n' >"$scratch/two.txt"
only1=$("$usr/bin/pairsight-compare" --print only1 "$scratch/one.txt" "$scratch/two.txt")
[ "$only1" = c ] || fail "pairsight-compare --print only1 printed: $only1"

# The German language file, found in share/pairsight through the program's
# own lookup (its test hook prints one translation instead of a window).
translated=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=de_DE.UTF-8 \
    PAIRSIGHT_PRINT_TRANSLATION='File not found!' "$usr/bin/pairsight")
[ "$translated" = 'Datei nicht gefunden!' ] || fail "the installed program translated 'File not found!' as: $translated"
# Nothing of the portable layout in bin, and starting wrote nothing there.
[ -z "$(find "$usr/bin" -mindepth 1 ! -name pairsight ! -name pairsight-compare)" ] ||
    fail "bin holds more than the two programs: $(ls "$usr/bin")"
echo "check-install: the installed tree is complete and its programs run"
