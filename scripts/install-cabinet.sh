#!/usr/bin/env bash
# Installs the built cabinet (build/game) under PREFIX and its systemd units, then makes
# the strikora user and enables the units. DESTDIR installs into a staging root instead
# (nothing is enabled or chowned there).
#   scripts/install-cabinet.sh [PREFIX]      (default /opt/strikora)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-${PREFIX:-/opt/strikora}}
root=${DESTDIR:-}
game=build/game
[ -x "$game/strikora" ] || { echo "install-cabinet: build first (scripts/build.sh)" >&2; exit 1; }

install -d "$root$prefix" "$root/etc/systemd/system"
for program in strikora moneyd moneyctl meters; do
  install -m 0755 "$game/$program" "$root$prefix/$program"
done
for folder in Graphic_resource sounds Questions; do
  rm -rf "${root:?}$prefix/$folder"
  cp -r "$game/$folder" "$root$prefix/$folder"
done
for unit in deploy/systemd/*.service deploy/systemd/*.path deploy/systemd/*.timer; do
  sed "s|@PREFIX@|$prefix|g" "$unit" > "$root/etc/systemd/system/$(basename "$unit")"
  chmod 0644 "$root/etc/systemd/system/$(basename "$unit")"
done
echo "install-cabinet: installed under $root$prefix and $root/etc/systemd/system"

if [ -n "$root" ]; then exit 0; fi
id strikora > /dev/null 2>&1 || useradd --system --home-dir "$prefix" --shell /usr/sbin/nologin strikora
# The game writes its record and log beside itself.
install -d -o strikora -g strikora "$prefix/data" "$prefix/~system"
chown strikora:strikora "$prefix"
# moneyd never makes a ledger by itself: the first install makes the empty one, as the
# service's user in its state folder; a ledger that is there is left as it is.
state=/var/lib/strikora-money
install -d -o strikora -g strikora -m 0750 "$state"
if [ ! -e "$state/money.db" ]; then
  runuser -u strikora -- "$prefix/moneyctl" --db "$state/money.db" init
fi
if [ -d /run/systemd/system ]; then
  systemctl daemon-reload
  systemctl enable strikora-moneyd.service strikora.service strikora-meters.path strikora-money-metrics.timer
  echo "install-cabinet: enabled; 'systemctl start strikora' starts the game now"
fi
