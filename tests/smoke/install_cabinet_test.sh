#!/usr/bin/env bash
# scripts/install-cabinet.sh into a staging root (DESTDIR): the programs, the assets and the
# units land under the prefix, and the units pass systemd-analyze verify.
#   install_cabinet_test.sh SOURCE_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
[ -x "$source_dir/build/game/strikora" ] || { echo "skip: build the game first (scripts/build.sh)"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root "$source_dir/scripts/install-cabinet.sh" /opt/strikora
fail=0
for f in strikora moneyd moneyctl meters Graphic_resource/Main/Main.BMP sounds/Button.wav \
  Questions/trueorfalse/Data01.pck; do
  [ -e "$root/opt/strikora/$f" ] || { echo "FAIL: $f not installed"; fail=1; }
done
units=()
for unit in strikora.service strikora-moneyd.service strikora-meters.service strikora-meters.path \
  strikora-money-metrics.service strikora-money-metrics.timer; do
  file="$root/etc/systemd/system/$unit"
  [ -f "$file" ] || { echo "FAIL: $unit not installed"; fail=1; continue; }
  case $unit in *.timer) ;; *)
    grep -q "/opt/strikora/" "$file" || { echo "FAIL: $unit does not name the prefix"; fail=1; } ;;
  esac
  # Verified as the machine would load them, with the programs where the staging root holds them.
  mkdir -p "$root/verify"
  sed "s|/opt/strikora/|$root/opt/strikora/|g" "$file" > "$root/verify/$unit"
  units+=("$root/verify/$unit")
done
systemd-analyze verify "${units[@]}" || { echo "FAIL: systemd-analyze verify"; fail=1; }
[ $fail -eq 0 ] || exit 1
echo "install: staged under $root and verified"
