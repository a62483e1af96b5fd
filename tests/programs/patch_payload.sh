#!/usr/bin/env bash
# The payload behind qvkpatch: the extractor program and a ZIP archive at once, which Info-ZIP
# reads alone and behind the installer; sixteen members in order, deflated, made on MS-DOS with
# the archive attribute, each exactly its file; the same bytes when made again.
source "$2/tests/script_support.sh"
patchdir="$build/src/patch"
payload="$patchdir/qvkpatch.payload"
installer="$build/qvkpatch"
[ -f "$payload" ] && [ -x "$installer" ] || fail "no payload or no qvkpatch in $build"
command -v unzip >/dev/null || fail "unzip is missing (scripts/bootstrap installs it)"

members=(QVKAVI.EXE PATCH.BAT)
for n in 01 02 03 04 05 06 07 08 12 13 14 15 16 17; do members+=("SEQ$n.TXT"); done

# The installer's file ends with the payload, and the payload begins with the extractor.
size=$(stat -c %s "$payload")
tail -c "$size" "$installer" | cmp -s - "$payload" || fail "qvkpatch does not end with the payload"
stub="$patchdir/carried/qvksfx"
cmp -s -n "$(stat -c %s "$stub")" "$stub" "$payload" || fail "the payload does not begin with qvksfx"
[ "$(head -c 4 "$payload" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "the payload is no program"

# Info-ZIP finds no error; the payload's offsets count from its own first byte, so only the
# installer has bytes in front of the archive.
unzip -t "$payload" >"$work/test" 2>&1 || { cat "$work/test"; fail "unzip -t failed on the payload"; }
grep -q "No errors detected" "$work/test" || fail "unzip -t: no 'No errors detected'"
grep -q "extra bytes" "$work/test" && fail "the payload's offsets do not count from its first byte"
status=0
unzip -t "$installer" >"$work/test" 2>&1 || status=$?
[ "$status" -le 1 ] && grep -q "No errors detected" "$work/test" ||
  { cat "$work/test"; fail "unzip -t failed on qvkpatch (status $status)"; }

listed=$(zipinfo -1 "$payload" | tr '\n' ' ')
[ "$listed" = "${members[*]} " ] || fail "members: $listed"
[ "$(zipinfo -1 "$installer" 2>/dev/null | tr '\n' ' ')" = "$listed" ] || fail "zipinfo differs on qvkpatch"

# Every member as the old system made them.
zipinfo -v "$payload" >"$work/verbose"
expect_all() {  # expect_all TEXT: a line of every one of the sixteen entries
  local count
  count=$(grep -cF "$1" "$work/verbose" || true)
  [ "$count" = 16 ] || fail "$count of 16 entries have '$1'"
}
expect_all "file system or operating system of origin:      MS-DOS, OS/2 or NT FAT"
expect_all "minimum software version required to extract:   2.0"
expect_all "compression method:                             deflated"
expect_all "MS-DOS file attributes (20 hex):                arc"
expect_all "file last modified on (DOS date/time):          2000 Jan 1 00:00:00"
grep -q "central directory contains 16 entries" "$work/verbose" || fail "not 16 entries"

# Each member is its file: the move files of the sample game, the program without its debugging
# information, and the five-line batch file with CR LF line ends. The same files make the same
# payload.
args=()
for name in "${members[@]}"; do
  case $name in
    QVKAVI.EXE) file=$patchdir/carried/QVKAVI.EXE ;;
    PATCH.BAT) file=$patchdir/PATCH.BAT ;;
    *) file=$build/game/$(echo "$name" | tr 'A-Z' 'a-z') ;;
  esac
  unzip -p "$payload" "$name" | cmp -s - "$file" || fail "$name differs from $file"
  args+=("$name=$file")
done
program="$build/src/shell/qvkavi"
[ -x "$program" ] || fail "no qvkavi in $build"
strip_tool=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")
"${strip_tool:-strip}" -o "$work/qvkavi" "$program"
cmp -s "$work/qvkavi" "$patchdir/carried/QVKAVI.EXE" || fail "QVKAVI.EXE is not $program, stripped"
printf '@echo off\r\nmd c:\\qvk>nul\r\necho a | copy qvkavi.ptc c:\\qvk\\qvkavi.exe > nul\r\necho a | copy *.txt c:\\qvk > nul\r\nexit\r\n' >"$work/PATCH.BAT"
cmp -s "$patchdir/PATCH.BAT" "$work/PATCH.BAT" || fail "PATCH.BAT is not the five lines"
"$patchdir/make_payload" "$work/again" "$stub" "${args[@]}"
cmp -s "$work/again" "$payload" || fail "the payload differs when made again"
