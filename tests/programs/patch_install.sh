#!/usr/bin/env bash
# qvkpatch and the payload behind it. The payload is the extractor program and a ZIP archive at
# once, which Info-ZIP reads alone and behind the installer: sixteen members in order, each
# exactly its file, and the same bytes when made again. (How each member is stored is the ZIP
# writer's own test.) qvkpatch run where it lies creates the install directory
# ($XDG_DATA_HOME/qvk, else ~/.local/share/qvk), leaves exactly the sixteen files of its payload
# there and no qvp, and updates an existing install, keeping its saved game; two installers at
# once in one install directory both succeed. The qvp it runs is
# byte for byte its payload, gets the install directory as its one argument (spaces and quotes
# too), and its failure is the installer's, as is a qvp that cannot be deleted; an interrupt ends
# qvp, not the installer, and an ignored child signal does not lose qvp's status.
source "$2/tests/script_support.sh"
patchdir="$build/src/patch"
payload="$patchdir/qvkpatch.payload"
installer="$build/bin/qvkpatch"
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
home="$work/data home 'single' \"double\""
patch "$home"
install="$home/qvk"
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
program="$build/bin/qvkavi"
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

# Two installers at once in one install directory (each writes and deletes its qvp there): both
# succeed, and what is left is the update, without a qvp.
for round in 1 2 3; do
  env -C "$work/run" XDG_DATA_HOME="$work/twice" ./qvkpatch >"$work/first" 2>&1 &
  first=$!
  env -C "$work/run" XDG_DATA_HOME="$work/twice" ./qvkpatch >"$work/second" 2>&1 ||
    fail "round $round, the second installer: $(cat "$work/second")"
  wait "$first" || fail "round $round, the first installer: $(cat "$work/first")"
done
[ "$(listing "$work/twice/qvk")" = "$installed" ] || fail "two at once: $(listing "$work/twice/qvk")"

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

# A damaged or hostile patch changes nothing in the install directory, and creates none where
# there was none: a cut-off installer, members named to land outside the directory or named like
# the extractor qvp, an unreadable own file ("file not opened"), a qvp that cannot be created.
# Each says what is wrong and ends with a status other than 0. The extractor alone checks its
# arguments and its archive too, and never touches its own file. (Which archives are damaged is
# the ZIP reader's own test.)
# An install directory with an older game in it, and its fingerprint.
data="$work/data"
mkdir -p "$data/qvk"
printf 'old moves\r\n' >"$data/qvk/seq01.txt"
printf 'old program' >"$data/QVKAVI.EXE.outside"
printf 'saved game' >"$data/qvk/qvk.sav"
fingerprint() {  # every name under $data, and the contents of every file
  (cd "$data" && find . -printf '%y %m %p\n' | LC_ALL=C sort && find . -type f -exec md5sum {} +)
}
before=$(fingerprint)

# run_damaged NAME FILE STATUS TEXT [HOME]: FILE as qvkpatch in a directory of its own, with the
# data home HOME ($data unless given), ends with STATUS and prints TEXT (grep -E, standard
# error); the install directory is as it was.
run_once() {
  local name=$1 file=$2 want=$3 text=$4 home=${5:-$data}
  rm -rf "$work/run" && mkdir "$work/run" && install -m 755 "$file" "$work/run/qvkpatch"
  run env -C "$work/run" XDG_DATA_HOME="$home" ./qvkpatch
  [ "$status" = "$want" ] || { cat "$work/err"; fail "$name: status $status, not $want"; }
  [ -s "$work/out" ] && fail "$name: printed '$(cat "$work/out")' on standard output"
  grep -Eq "$text" "$work/err" || { cat "$work/err"; fail "$name: no '$text'"; }
  [ "$(fingerprint)" = "$before" ] || { ls -laR "$data"; fail "$name: the install directory changed"; }
}
# The same, and then once more where there is no install directory yet: a refused patch does not
# create one.
run_damaged() {
  run_once "$@"
  run_once "$1 (no install directory)" "$2" "$3" "$4" "$work/fresh"
  [ -e "$work/fresh" ] && { ls -laR "$work/fresh"; fail "$1: it created the install directory"; }
  return 0
}

# Cut off: the payload is not all there, so no qvp is written at all.
size=$(stat -c %s "$installer")
head -c $((size - 1)) "$installer" >"$work/cut"
run_damaged "cut by one byte" "$work/cut" 1 "^qvkpatch: this file is incomplete or damaged; nothing was installed$"

# Hostile names: one plain member first, then one that would land outside the directory, or one
# named like the extractor, in any case, which would be deleted with it, or would delete it, or
# one named like the saved game or a save's temporary file, which would replace or delete it.
printf 'evil\r\n' >"$work/evil"
hostile() {  # hostile NAME: $work/hostile.payload with a plain member, then one called NAME
  "$patchdir/make_payload" "$work/hostile.payload" "$patchdir/carried/qvksfx" \
    "SEQ01.TXT=$work/evil" "$1=$work/evil"
}
for name in "../QVKAVI.EXE.outside" "$data/qvk/../EVIL.TXT" '..\EVIL.TXT' "C:EVIL.TXT" "sub/EVIL.TXT" \
  qvp QVP Qvp QVK.SAV qvk.sav.new Qvk.Sav.AbC123; do
  why="would not be a plain file of the target directory"
  refused="^qvkpatch: the patch is damaged or unsafe, nothing was installed: member \"$name\""
  [[ $name == [qQ][vV][pP] ]] && why="$refused would replace the extractor qvp$"
  [[ ${name,,} == qvk.sav* ]] && why="$refused would replace the player's saved game$"
  hostile "$name"
  "$patchdir/attach_payload" "$installer" "$work/hostile.payload" "$work/hostile"
  run_damaged "member $name" "$work/hostile" 1 "$why"
done

# Its own file cannot be read ("file not opened", no line end): an execute-only copy run by a
# user who may not read it (as root, setpriv makes that user).
mkdir -m 755 "$work/locked"
install -m 111 "$installer" "$work/locked/qvkpatch"
chmod 755 "$work"
as_other=()
if [ "$(id -u)" = 0 ]; then as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
run "${as_other[@]}" env -C "$work/locked" XDG_DATA_HOME="$data" ./qvkpatch
[ "$status" = 1 ] && [ "$(cat "$work/out")" = "file not opened" ] && [ "$(tail -c 1 "$work/out")" = d ] ||
  fail "file not opened: status $status, printed '$(cat "$work/out" "$work/err")'"
[ "$(fingerprint)" = "$before" ] || fail "file not opened: the install directory changed"

# qvp cannot be created: something that is no file stands in its way.
mkdir "$data/qvk/qvp"
before=$(fingerprint)
run_once "qvp in the way" "$installer" 1 "^qvkpatch: cannot create .*/qvk/qvp: "
rmdir "$data/qvk/qvp"
before=$(fingerprint)

# The install directory cannot be created.
printf 'a file' >"$work/plain"
expectFailure 1 "^qvkpatch: cannot create $work/plain/qvk: " \
  env XDG_DATA_HOME="$work/plain" "$work/run/qvkpatch"

# The extractor alone: one argument, an archive behind it, a directory to unpack into.
expectFailure 2 "^Try .qvksfx --help.\.$" "$build/bin/qvksfx"
expectFailure 1 "nothing was installed: no ZIP archive found" "$build/bin/qvksfx" "$data/qvk"
expectFailure 1 "^qvksfx: cannot install the update: cannot use $work/missing: " \
  "$payload" "$work/missing"
[ "$(fingerprint)" = "$before" ] || fail "the extractor changed the install directory"

# The extractor alone refuses a member named like the saved game too.
hostile QVK.SAV
expectFailure 1 "^qvksfx: cannot install the update: member \"QVK.SAV\" would replace the player's saved game$" \
  "$work/hostile.payload" "$data/qvk"
[ "$(fingerprint)" = "$before" ] || { ls -laR "$data"; fail "member QVK.SAV: the install directory changed"; }

# The extractor run as qvp in the directory it unpacks into never replaces or removes its own
# file, even where the member's name has another case. (Both cases are the extractor's own test.)
hostile QVP
install -m 755 "$work/hostile.payload" "$data/qvk/qvp"
before=$(fingerprint)
expectFailure 1 "^qvksfx: cannot install the update: member \"QVP\" would replace the running extractor $data/qvk/qvp$" \
  "$data/qvk/qvp" "$data/qvk"
[ "$(fingerprint)" = "$before" ] || { ls -laR "$data"; fail "member QVP: the install directory changed"; }
