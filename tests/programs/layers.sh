#!/usr/bin/env bash
# The layers include one way only: shell -> game -> {media, input} -> platform -> base, and the
# patch stands on the base alone. The AVI files and the codecs include nothing of the game.
set -euo pipefail
src=$2/src
status=0
allowed() {  # allowed FROM: the folders FROM may include
  case $1 in
    base) echo "base" ;;
    platform) echo "platform base" ;;
    media | input) echo "$1 platform base" ;;
    game) echo "game media input platform base" ;;
    shell) echo "shell game media input platform base" ;;
    patch) echo "patch base" ;;
  esac
}
for dir in "$src"/*/; do
  from=$(basename "$dir")
  ok=" $(allowed "$from") "
  while IFS=: read -r file line; do
    to=$(echo "$line" | sed -E 's|#include "([a-z_]+)/.*|\1|')
    if [[ $ok != *" $to "* ]]; then
      echo "${file#"$src"/}: $from must not include $to: $line"
      status=1
    fi
  done < <(grep -H '^#include "[a-z_]*/' "$dir"*.cc "$dir"*.h 2>/dev/null || true)
done
for file in "$2"/tools/qvkgen/*.h "$2"/tools/qvkprobe/*.cc; do
  if grep -q '#include "game/' "$file"; then
    echo "${file#"$2"/}: the AVI files and codecs know nothing of the game"
    status=1
  fi
done
exit $status
