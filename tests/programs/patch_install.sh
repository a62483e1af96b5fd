#!/usr/bin/env bash
# qvkpatch run where it lies: it creates the install directory ($XDG_DATA_HOME/qvk, else
# ~/.local/share/qvk), leaves exactly the sixteen files of its payload there and no qvp, and
# updates an existing install (old files under lower-case names included). The qvp it runs is
# byte for byte its payload, gets the install directory as its one argument (spaces and quotes
# too), and its failure is the installer's, as is a qvp that cannot be deleted; an interrupt
# ends qvp, not the installer, and an ignored child signal does not lose qvp's status.
source "$2/tests/script_support.sh"
installer="$build/qvkpatch"
payload="$build/src/patch/qvkpatch.payload"
[ -x "$installer" ] || fail "no qvkpatch in $build"

members=(PATCH.BAT QVKAVI.EXE)
for n in 01 02 03 04 05 06 07 08 12 13 14 15 16 17; do members+=("SEQ$n.TXT"); done
listing() { (cd "$1" && LC_ALL=C ls -A | tr '\n' ' '); }

mkdir "$work/run"
cp "$installer" "$work/run/qvkpatch"
patch() {  # patch DATA_HOME: runs the installer in its directory with that data home
  run env -C "$work/run" XDG_DATA_HOME="$1" ./qvkpatch
  [ "$status" = 0 ] && [ ! -s "$work/out" ] && [ ! -s "$work/err" ] ||
    fail "qvkpatch: status $status, printed '$(cat "$work/out" "$work/err")'"
}

# A fresh install directory, on a path with spaces and both kinds of quotes.
data="$work/data home 'single' \"double\""
patch "$data"
install="$data/qvk"
[ "$(listing "$install")" = "${members[*]} " ] || fail "installed: $(listing "$install")"
for name in "${members[@]}"; do
  unzip -p "$payload" "$name" | cmp -s - "$install/$name" || fail "$name differs from the payload"
done
[ -x "$install/QVKAVI.EXE" ] || fail "QVKAVI.EXE is not executable"

# An existing install: older move files under lower-case names are replaced, the rest kept.
existing="$work/existing/qvk"
mkdir -p "$existing"
printf '  20  d2   00   d2   d2   d2   d2\r\n' >"$existing/seq01.txt"
printf 'old\r\n' >"$existing/Seq02.Txt"
printf 'hot\r\n' >"$existing/seq01.hot"
printf 'saved game' >"$existing/qvk.sav"
patch "$work/existing"
[ "$(listing "$existing")" = "${members[*]} qvk.sav seq01.hot " ] || fail "updated: $(listing "$existing")"
[ "$(cat "$existing/qvk.sav")" = "saved game" ] || fail "the saved game changed"
patch "$work/existing"
[ "$(listing "$existing")" = "${members[*]} qvk.sav seq01.hot " ] || fail "again: $(listing "$existing")"

# Without XDG_DATA_HOME: ~/.local/share/qvk, every missing parent created. Started from another
# directory, the installer still finds its own file.
(cd / && env -u XDG_DATA_HOME HOME="$work/home" "$work/run/qvkpatch") || fail "qvkpatch from / failed"
[ "$(listing "$work/home/.local/share/qvk")" = "${members[*]} " ] || fail "not in ~/.local/share/qvk"

# The qvp it writes and runs, seen from inside: a payload that copies itself and records its
# arguments, runs COMMAND, then ends with the status it is given. A sound archive follows it, or
# the installer would not write it out.
fake_installer() {  # fake_installer STATUS [COMMAND]: $work/fake/qvkpatch carrying that payload
  mkdir -p "$work/fake"
  printf '#!/bin/sh\ncp "$0" "$1/qvp.copy"\nprintf "%%s\\n" "$#" "$1" >"$1/qvp.args"\n%s\nexit %s\n' \
    "${2:-}" "$1" >"$work/fake/stub"
  head -c 5000 /dev/urandom >"$work/fake/SEQ01.TXT"
  "$build/src/patch/make_payload" "$work/fake/payload" "$work/fake/stub" \
    "SEQ01.TXT=$work/fake/SEQ01.TXT"
  "$build/src/patch/attach_payload" "$installer" "$work/fake/payload" "$work/fake/qvkpatch"
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
[ "$(listing "$work/ignored/qvk")" = "${members[*]} " ] || fail "SIGCHLD ignored: $(listing "$work/ignored/qvk")"
