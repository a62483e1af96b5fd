#!/usr/bin/env bash
# The Debian package that `cpack -G DEB` makes in the build directory: lintian finds no error and
# no warning in it (and every other tag it prints is one the README names), its control fields
# (the dependencies found by dpkg-shlibdeps), exactly the files it should hold, its menu entry
# and AppStream description valid, and its programs and sample game working from a root it is
# unpacked into.
source "$2/tests/script_support.sh"
needs cpack dpkg dpkg-deb dpkg-shlibdeps file desktop-file-validate lintian appstreamcli
grep -q '^QVK_SANITIZE:STRING=.' "$build/CMakeCache.txt" && skip "a sanitizer build is not packaged"
[ -x "$build/bin/qvkavi" ] || skip "qvkavi is not built"
[ -f "$build/game/demo.avi" ] || skip "no sample game in $build/game"
unset DISPLAY WAYLAND_DISPLAY

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$work/out/qvkavi_${version}-1_${arch}.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
echo "$(basename "$deb"), $(($(stat -c %s "$deb") / 1024)) KiB"

# lintian: no error, no warning; an informational tag, and a tag the package overrides, only
# when the README names it with its reason.
lintian -I --show-overrides "$deb" >"$work/lintian" 2>&1 || true
grep -E '^[EW]: ' "$work/lintian" && fail "lintian reports errors or warnings"
for tag in $(awk '/^[IO]: / { print $3 }' "$work/lintian" | sort -u); do
  grep -q -- "\`$tag\`" "$source/README.md" || fail "lintian's $tag is not named in the README"
done
grep -E '^(E|W|I|O|P): ' "$work/lintian" | awk '{ print "  " $1, $3 }' | sort | uniq -c
echo "lintian: no errors, no warnings, every other tag named in the README"

# Control fields. Every shared library that the programs link brings its package.
field() { dpkg-deb -f "$deb" "$1"; }
for pair in Package=qvkavi "Version=$version-1" "Architecture=$arch" Section=games; do
  [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*}: $(field "${pair%%=*}")"
done
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no Maintainer or Description"
depends=$(field Depends)
for package in libc6 libstdc++6 libgtk-3-0 libglib2.0-0 libsdl2-2.0-0 libavcodec libavformat \
  libswscale libavutil; do
  tr ',' '\n' <<<"$depends" | awk -v p="$package" 'index($1, p) == 1 && $2 == "(>=" { found = 1 }
    END { exit !found }' || fail "Depends lacks $package: $depends"
done
echo "control fields right; Depends: $depends"

# The files: the player and every tool in /usr/games with a manual page in section 6, the menu
# entry, its AppStream description, the icons, the documentation, lintian's overrides and the
# sample game, nothing else.
{
  for dir in "$source"/tools/*/ qvkavi; do
    echo "/usr/games/$(basename "$dir")"
    echo "/usr/share/man/man6/$(basename "$dir").6.gz"
  done
  echo /usr/share/applications/qvkavi.desktop
  echo /usr/share/metainfo/org.example.qvkavi.metainfo.xml
  for size in 16 32 48; do echo "/usr/share/icons/hicolor/${size}x${size}/apps/qvkavi.png"; done
  for doc in copyright changelog.Debian.gz README.md authoring.md; do
    echo "/usr/share/doc/qvkavi/$doc"
  done
  echo /usr/share/lintian/overrides/qvkavi
  for file in "$build"/game/*; do echo "/usr/share/qvkavi/game/$(basename "$file")"; done
} | sort >"$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort >"$work/files"
diff "$work/expected" "$work/files" >"$work/diff" || { cat "$work/diff"; fail "files differ"; }
echo "files: the programs, their manual pages, the menu entry and its description, the icons,"
echo "  the documentation, the sample game ($(wc -l <"$work/files"))"

# Unpacked into a root of its own: the programs run, are stripped, and the package's qvkgen
# writes exactly the game that the package holds, which qvkcheck finds sound.
root=$work/root
dpkg -x "$deb" "$root"
[ "$("$root/usr/games/qvkavi" --version)" = "qvkavi $version" ] || fail "qvkavi --version"
file -L "$root"/usr/games/* | grep -q 'not stripped' && fail "programs are not stripped"
"$root/usr/games/qvkgen" "$work/game" >/dev/null || fail "qvkgen failed"
diff -r "$work/game" "$root/usr/share/qvkavi/game" >/dev/null || fail "the packaged game is not qvkgen's"
check=$("$root/usr/games/qvkcheck" "$root/usr/share/qvkavi/game" 2>&1) || fail "qvkcheck: $check"
[ -z "$check" ] || fail "qvkcheck: $check"
echo "qvkavi --version, qvkgen and qvkcheck run from the unpacked package"

# The menu entry plays the packaged game.
entry=$root/usr/share/applications/qvkavi.desktop
grep -qx 'Exec=qvkavi "/usr/share/qvkavi/game"' "$entry" || fail "$(grep Exec "$entry")"
grep -qx 'Icon=qvkavi' "$entry" || fail "the menu entry has no icon qvkavi"
desktop-file-validate "$entry" || fail "the menu entry is not valid"
echo "the menu entry plays /usr/share/qvkavi/game"

# Software centres list the game by its AppStream description, with the screenshots of docs/.
appstreamcli validate-tree --no-net "$root" || fail "the AppStream description is not valid"
metainfo=$root/usr/share/metainfo/org.example.qvkavi.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream description has no release $version"
for picture in $(sed -n 's|.*<image>.*/docs/\(.*\)</image>.*|\1|p' "$metainfo"); do
  [ -f "$source/docs/$picture" ] || fail "the screenshot $picture is not in docs/"
done
echo "the AppStream description is valid, with the screenshots of docs/"
