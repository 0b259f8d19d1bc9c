#!/usr/bin/env bash
# The install rules into a staging root (DESTDIR), as the package takes them: the programs,
# the game's data, the units and the settings land where the package puts them, and the
# units pass systemd-analyze verify with the staged programs.
#   install_cabinet_test.sh SOURCE_DIR BUILD_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
build=$2
[ -x "$build/game/strikora" ] || { echo "skip: build the game first (scripts/build.sh)"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr > "$root/install.log"
fail=0
for f in usr/games/strikora usr/sbin/moneyd usr/bin/moneyctl usr/bin/meters \
  usr/share/strikora/Graphic_resource/Main/Main.BMP usr/share/strikora/sounds/Button.wav \
  usr/share/strikora/Questions/trueorfalse/Data01.pck etc/strikora/strikora.conf \
  etc/sudoers.d/strikora; do
  [ -e "$root/$f" ] || { echo "FAIL: /$f not installed"; fail=1; }
done
grep -q "^ledger = /var/lib/strikora-money/money.db$" "$root/etc/strikora/strikora.conf" ||
  { echo "FAIL: the settings do not name the ledger"; fail=1; }
units=()
mkdir -p "$root/verify"
for unit in strikora.service strikora-moneyd.service strikora-meters.service strikora-meters.path \
  strikora-money-metrics.service strikora-money-metrics.timer; do
  file="$root/lib/systemd/system/$unit"
  [ -f "$file" ] || { echo "FAIL: $unit not installed"; fail=1; continue; }
  # Verified as the machine would load them, with the programs where the staging root holds them.
  # (The man pages they name come with the package, not with the install rules.)
  sed "s|=/usr/|=$root/usr/|g; /^Documentation=man:/d" "$file" > "$root/verify/$unit"
  units+=("$root/verify/$unit")
done
systemd-analyze verify "${units[@]}" || { echo "FAIL: systemd-analyze verify"; fail=1; }
[ $fail -eq 0 ] || exit 1
echo "install: staged under $root and verified"
