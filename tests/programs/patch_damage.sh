#!/usr/bin/env bash
# A damaged or hostile patch changes nothing in the install directory, and creates none where
# there was none: a cut-off installer, members named to land outside the directory or named like
# the extractor qvp, an unreadable own file ("file not opened"), a qvp that cannot be created.
# Each says what is wrong and ends with a status other than 0. The extractor alone checks its
# arguments and its archive too, and never touches its own file. (Which archives are damaged is
# the ZIP reader's own test.)
source "$2/tests/script_support.sh"
installer="$build/qvkpatch"
patchdir="$build/src/patch"
payload="$patchdir/qvkpatch.payload"
[ -x "$installer" ] || fail "no qvkpatch in $build"

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
# named like the extractor, in any case, which would be deleted with it, or would delete it.
printf 'evil\r\n' >"$work/evil"
hostile() {  # hostile NAME: $work/hostile.payload with a plain member, then one called NAME
  "$patchdir/make_payload" "$work/hostile.payload" "$patchdir/carried/qvksfx" \
    "SEQ01.TXT=$work/evil" "$1=$work/evil"
}
for name in "../QVKAVI.EXE.outside" "$data/qvk/../EVIL.TXT" '..\EVIL.TXT' "C:EVIL.TXT" "sub/EVIL.TXT" \
  qvp QVP Qvp; do
  why="would not be a plain file of the target directory"
  [[ $name == [qQ][vV][pP] ]] &&
    why="^qvkpatch: the patch is damaged or unsafe, nothing was installed: member \"$name\" would replace the extractor qvp$"
  hostile "$name"
  "$patchdir/attach_payload" "$installer" "$work/hostile.payload" "$work/hostile"
  run_damaged "member $name" "$work/hostile" 1 "$why"
done

# Its own file cannot be read ("file not opened", no line end): an execute-only copy run by a
# user who may not read it.
mkdir -m 755 "$work/locked"
install -m 111 "$installer" "$work/locked/qvkpatch"
chmod 755 "$work"
as_other=()
if [ "$(id -u)" = 0 ]; then as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
if [ ${#as_other[@]} = 0 ] || command -v setpriv >/dev/null; then
  run "${as_other[@]}" env -C "$work/locked" XDG_DATA_HOME="$data" ./qvkpatch
  [ "$status" = 1 ] && [ "$(cat "$work/out")" = "file not opened" ] && [ "$(tail -c 1 "$work/out")" = d ] ||
    fail "file not opened: status $status, printed '$(cat "$work/out" "$work/err")'"
  [ "$(fingerprint)" = "$before" ] || fail "file not opened: the install directory changed"
else
  echo "note: running as root without setpriv; 'file not opened' not tested"
fi

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
expectFailure 2 "^usage: qvksfx TARGET" "$build/qvksfx"
expectFailure 1 "nothing was installed: no ZIP archive found" "$build/qvksfx" "$data/qvk"
expectFailure 1 "^qvksfx: cannot install the update: cannot use $work/missing: " \
  "$payload" "$work/missing"
[ "$(fingerprint)" = "$before" ] || fail "the extractor changed the install directory"

# The extractor run as qvp in the directory it unpacks into never replaces or removes its own
# file, even where the member's name has another case. (Both cases are the extractor's own test.)
hostile QVP
install -m 755 "$work/hostile.payload" "$data/qvk/qvp"
before=$(fingerprint)
expectFailure 1 "^qvksfx: cannot install the update: member \"QVP\" would replace the running extractor $data/qvk/qvp$" \
  "$data/qvk/qvp" "$data/qvk"
[ "$(fingerprint)" = "$before" ] || { ls -laR "$data"; fail "member QVP: the install directory changed"; }
