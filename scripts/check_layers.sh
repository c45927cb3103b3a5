#!/usr/bin/env bash
# Checks that the folders of src/ include each other only downwards:
#
#   app -> keys -> traffic -> controls -> {memory, speech, link, display} -> state -> platform
#
# keys/ turns key presses and window messages into actions; traffic/ is the
# radio's traffic that no key starts: the tick's poll and its replies, the
# radio's return, and the relay for the pass-through and network clients.
#
# and rigctld, an engine of its own, is used by app alone and uses only state
# and platform. The four folders under controls do not include each other.
# Every folder may include its own headers. Tests (*_test.cc and the test
# panels *_test_panel.h) set up whole panels and may include any folder.
#
# Prints every include against the order and exits with status 1 when there is
# one.
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed_for() {
  case "$1" in
    app) echo "keys traffic controls memory speech link display rigctld state platform" ;;
    keys) echo "traffic controls memory speech link display state platform" ;;
    traffic) echo "controls memory speech link display state platform" ;;
    controls) echo "memory speech link display state platform" ;;
    memory | speech | link | display) echo "state platform" ;;
    rigctld) echo "state platform" ;;
    state) echo "platform" ;;
    platform) echo "" ;;
    *) echo "UNKNOWN" ;;
  esac
}

bad=0
for dir in */; do
  folder="${dir%/}"
  allowed="$(allowed_for "$folder")"
  if [ "$allowed" = UNKNOWN ]; then
    echo "check_layers: src/$folder is not in the layer order; add it to scripts/check_layers.sh" >&2
    bad=1
    continue
  fi
  for file in "$folder"/*.cc "$folder"/*.h; do
    [ -e "$file" ] || continue
    case "$file" in *_test.cc | *_test_panel.h) continue ;; esac
    while IFS= read -r target; do
      [ "$target" = "$folder" ] && continue
      case " $allowed " in *" $target "*) continue ;; esac
      echo "src/$file includes $target/ against the layer order" >&2
      bad=1
    done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file")
  done
done
if [ "$bad" -ne 0 ]; then exit 1; fi
echo "check_layers: every include follows the layer order"
