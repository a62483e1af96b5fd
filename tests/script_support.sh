# Shared by the scripts in tests/programs: the build and source folders they are given, a work
# folder removed at the end, and the ways they fail, skip and run a command that is to fail.
# Usage: source this from a script run as SCRIPT BUILD SOURCE; exit code 77 means "skipped".
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The programs run find an install directory of their own, empty: the machine's own neither
# changes what they do nor is changed by them.
export XDG_DATA_HOME=$work/data-home

fail() {
  echo "FAIL: $*"
  exit 1
}

skip() {
  echo "SKIP: $*"
  exit 77
}

# Skips the test unless every program named is installed.
needs() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/bootstrap installs it)"
  done
}

# Runs the command with its output in $work/out and $work/err; sets status to its exit code.
run() {
  status=0
  "$@" >"$work/out" 2>"$work/err" || status=$?
}

# expectFailure STATUS PATTERN COMMAND...: the command ends with STATUS and its standard error
# has a line that matches PATTERN (grep -E).
expectFailure() {
  local want=$1 pattern=$2
  shift 2
  run "$@"
  [ "$status" = "$want" ] && grep -Eq -- "$pattern" "$work/err" ||
    fail "$*: status $status, not $want; $(cat "$work/err")"
}
