#!/usr/bin/env bash
# qvkpatch and the payload behind it. The payload is the extractor program and a ZIP archive at
# once, which Info-ZIP reads alone and behind the installer: sixteen members in order, each
# exactly its file, and the same bytes when made again. (How each member is stored is the ZIP
# writer's own test.) qvkpatch run where it lies creates the install directory
# ($XDG_DATA_HOME/qvk, else ~/.local/share/qvk), leaves exactly the sixteen files of its payload
# there and no qvp, and updates an existing install, keeping its saved game. The qvp it runs is
# byte for byte its payload, gets the install directory as its one argument (spaces and quotes
# too), and its failure is the installer's, as is a qvp that cannot be deleted; an interrupt ends
# qvp, not the installer, and an ignored child signal does not lose qvp's status.
source "$2/tests/script_support.sh"
patchdir="$build/src/patch"
payload="$patchdir/qvkpatch.payload"
installer="$build/qvkpatch"
[ -f "$payload" ] && [ -x "$installer" ] || fail "no payload or no qvkpatch in $build"
command -v unzip >/dev/null || fail "unzip is missing (scripts/bootstrap installs it)"

members=(QVKAVI.EXE PATCH.BAT)
for n in 01 02 03 04 05 06 07 08 12 13 14 15 16 17; do members+=("SEQ$n.TXT"); done
installed=$(printf '%s\n' "${members[@]}" | LC_ALL=C sort | tr '\n' ' ')  # as ls lists them
listing() { (cd "$1" && LC_ALL=C ls -A | tr '\n' ' '); }

# The installer's file ends with the payload, and the payload begins with the extractor.
size=$(stat -c %s "$payload")
tail -c "$size" "$installer" | cmp -s - "$payload" || fail "qvkpatch does not end with the payload"
stub="$patchdir/carried/qvksfx"
cmp -s -n "$(stat -c %s "$stub")" "$stub" "$payload" || fail "the payload does not begin with qvksfx"

# Info-ZIP finds no error; the payload's offsets count from its own first byte, so only the
# installer has bytes in front of the archive.
unzip -t "$payload" >"$work/test" 2>&1 || { cat "$work/test"; fail "unzip -t failed on the payload"; }
grep -q "No errors detected" "$work/test" || fail "unzip -t: no 'No errors detected'"
grep -q "extra bytes" "$work/test" && fail "the payload's offsets do not count from its first byte"

listed=$(zipinfo -1 "$payload" | tr '\n' ' ')
[ "$listed" = "${members[*]} " ] || fail "members: $listed"
[ "$(zipinfo -1 "$installer" 2>/dev/null | tr '\n' ' ')" = "$listed" ] || fail "zipinfo differs on qvkpatch"

install -D "$installer" "$work/run/qvkpatch"
patch() {  # patch DATA_HOME: runs the installer in its directory with that data home
  run env -C "$work/run" XDG_DATA_HOME="$1" ./qvkpatch
  [ "$status" = 0 ] && [ ! -s "$work/out" ] && [ ! -s "$work/err" ] ||
    fail "qvkpatch: status $status, printed '$(cat "$work/out" "$work/err")'"
}

# A fresh install directory, on a path with spaces and both kinds of quotes.
data="$work/data home 'single' \"double\""
patch "$data"
install="$data/qvk"
[ "$(listing "$install")" = "$installed" ] || fail "installed: $(listing "$install")"
[ -x "$install/QVKAVI.EXE" ] || fail "QVKAVI.EXE is not executable"

# Each member, in the payload and installed, is its file: the move files of the sample game, the
# program without its debugging information, and the five-line batch file with CR LF line ends.
# The same files make the same payload.
args=()
for name in "${members[@]}"; do
  case $name in
    QVKAVI.EXE) file=$patchdir/carried/QVKAVI.EXE ;;
    PATCH.BAT) file=$patchdir/PATCH.BAT ;;
    *) file=$build/game/$(echo "$name" | tr 'A-Z' 'a-z') ;;
  esac
  unzip -p "$payload" "$name" | cmp -s - "$file" || fail "$name differs from $file"
  cmp -s "$install/$name" "$file" || fail "the installed $name differs from $file"
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

# An existing install: an older move file under a lower-case name is replaced, the saved game
# kept. (Which files an update replaces is the extractor's own test.)
existing="$work/existing/qvk"
mkdir -p "$existing"
printf 'old\r\n' >"$existing/seq01.txt"
printf 'saved game' >"$existing/qvk.sav"
patch "$work/existing"
[ "$(listing "$existing")" = "${installed}qvk.sav " ] || fail "updated: $(listing "$existing")"
[ "$(cat "$existing/qvk.sav")" = "saved game" ] || fail "the saved game changed"

# Without XDG_DATA_HOME: ~/.local/share/qvk, every missing parent created. Started from another
# directory, the installer still finds its own file.
(cd / && env -u XDG_DATA_HOME HOME="$work/home" "$work/run/qvkpatch") || fail "qvkpatch from / failed"
[ "$(listing "$work/home/.local/share/qvk")" = "$installed" ] || fail "not in ~/.local/share/qvk"

# The qvp it writes and runs, seen from inside: a payload that copies itself and records its
# arguments, runs COMMAND, then ends with the status it is given. A sound archive follows it, or
# the installer would not write it out.
fake_installer() {  # fake_installer STATUS [COMMAND]: $work/fake/qvkpatch carrying that payload
  mkdir -p "$work/fake"
  printf '#!/bin/sh\ncp "$0" "$1/qvp.copy"\nprintf "%%s\\n" "$#" "$1" >"$1/qvp.args"\n%s\nexit %s\n' \
    "${2:-}" "$1" >"$work/fake/stub"
  head -c 5000 /dev/urandom >"$work/fake/SEQ01.TXT"
  "$patchdir/make_payload" "$work/fake/payload" "$work/fake/stub" \
    "SEQ01.TXT=$work/fake/SEQ01.TXT"
  "$patchdir/attach_payload" "$installer" "$work/fake/payload" "$work/fake/qvkpatch"
}
fake_installer 0
quoted="$work/it's \"quoted\" & spaced"
(cd "$work/fake" && XDG_DATA_HOME="$quoted" ./qvkpatch) || fail "the fake payload failed"
cmp -s "$quoted/qvk/qvp.copy" "$work/fake/payload" || fail "qvp is not byte for byte the payload"
[ "$(cat "$quoted/qvk/qvp.args")" = "$(printf '1\n%s' "$quoted/qvk")" ] ||
  fail "qvp's arguments: $(cat "$quoted/qvk/qvp.args")"
[ -e "$quoted/qvk/qvp" ] && fail "qvp was left behind"
fake_installer 7
expectFailure 7 "^qvkpatch: the update failed: .*qvp ended with status 7" \
  env XDG_DATA_HOME="$quoted" "$work/fake/qvkpatch"
[ -e "$quoted/qvk/qvp" ] && fail "qvp was left behind after its failure"

# qvp cannot be deleted (it left a directory in its place): the installer says so and fails.
fake_installer 0 'rm "$0" && mkdir "$0"'
expectFailure 1 "^qvkpatch: cannot delete .*qvp: " env XDG_DATA_HOME="$quoted" "$work/fake/qvkpatch"
rmdir "$quoted/qvk/qvp"

# An interrupt from the terminal while qvp runs (sent here to both) ends qvp, not the installer,
# which reports it and deletes qvp.
fake_installer 0 'kill -INT $PPID; kill -INT $$'
expectFailure 130 "^qvkpatch: the update failed: .*qvp was ended by signal 2$" env XDG_DATA_HOME="$quoted" \
  perl -e '$SIG{INT} = $SIG{QUIT} = "DEFAULT"; exec @ARGV or die' "$work/fake/qvkpatch"
[ -e "$quoted/qvk/qvp" ] && fail "qvp was left behind after an interrupt"

# Started with the child signal ignored (a launcher may hand that on), the installer still waits
# for qvp and learns how it ended.
run env XDG_DATA_HOME="$work/ignored" perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV or die' "$work/run/qvkpatch"
[ "$status" = 0 ] || fail "with SIGCHLD ignored qvkpatch ended with $status: $(cat "$work/err")"
[ "$(listing "$work/ignored/qvk")" = "$installed" ] || fail "SIGCHLD ignored: $(listing "$work/ignored/qvk")"
