#!/usr/bin/env bash
# The Debian package on this machine: dpkg -i makes the users, folders and ledger and puts
# the units in place (verified; systemd need not run them), an install over itself keeps the
# record, the game journal and the ledger, and remove then purge leave nothing of it behind.
# It changes the machine, so it runs only as root, and only where the package is not
# installed already.
#   package_install_test.sh SOURCE_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "skip: installs a package: root only"; exit 77; }
deb=$(ls "$source_dir"/build/package/strikora_*.deb 2> /dev/null | head -n 1 || true)
[ -n "$deb" ] || { echo "skip: no package yet (scripts/package.sh)"; exit 77; }
if dpkg-query -W -f='${Status}' strikora 2> /dev/null | grep -q "ok installed"; then
  echo "skip: strikora is installed on this machine already"
  exit 77
fi
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }
owner() { stat -c '%U:%G %a' "$1"; }
work=$(mktemp -d)
trap 'dpkg -P strikora > /dev/null 2>&1 || true; rm -rf "$work"' EXIT

dpkg -i "$deb" > "$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
units=()
for unit in strikora.service strikora-moneyd.service strikora-meters.service \
  strikora-meters.path strikora-money-metrics.service strikora-money-metrics.timer; do
  check "$unit installed" "[ -f /lib/systemd/system/$unit ]"
  units+=("/lib/systemd/system/$unit")
done
# (--man=no: the pages are checked below, and man would leave its cache of them behind.)
check "the units verify" 'systemd-analyze verify --man=no "${units[@]}" 2> "$work/verify.log"; [ ! -s "$work/verify.log" ]'
for page in man6/strikora.6 man8/moneyd.8 man1/moneyctl.1 man1/meters.1; do
  check "$page" "[ -f /usr/share/man/$page.gz ]"
done
check "the money server enabled" '[ -L /etc/systemd/system/multi-user.target.wants/strikora-moneyd.service ]'
check "users" 'getent passwd strikora > /dev/null && getent passwd strikora-money > /dev/null'
check "the operator group holds the money user" 'id -nG strikora-money | grep -qw strikora-operators'
check "the game is not in the operator group" '! id -nG strikora | grep -qw strikora-operators'
for program in /usr/games/strikora /usr/sbin/moneyd /usr/bin/moneyctl /usr/bin/meters; do
  check "$program is root's" '[ "$(owner $program)" = "root:root 755" ]'
done
check "the game's folder is root's" '[ "$(owner /var/lib/strikora)" = "root:root 755" ]'
check "data/" '[ "$(owner /var/lib/strikora/data)" = "strikora:strikora-operators 2770" ]'
check "~system/" '[ "$(owner "/var/lib/strikora/~system")" = "strikora:strikora 750" ]'
check "the ledger's folder" '[ "$(owner /var/lib/strikora-money)" = "strikora-money:strikora-money 750" ]'
check "the ledger made" '[ "$(stat -c %U /var/lib/strikora-money/money.db)" = strikora-money ]'
check "the pictures linked" '[ "$(readlink /var/lib/strikora/Graphic_resource)" = /usr/share/strikora/Graphic_resource ]'
check "the game cannot write the ledger" '! runuser -u strikora -- test -w /var/lib/strikora-money'
check "the game cannot replace its programs" '! runuser -u strikora -- test -w /usr/games'

# A cabinet that has played: money in the ledger, a record and a game journal.
runuser -u strikora-money -- moneyctl insert 150 > /dev/null
{ head -c 168 /dev/zero; printf 'Strikora record - Inf File Written 01/29/07'; } > "$work/rec"
printf 'journal bytes' > "$work/journal"
install -o strikora -g strikora-operators -m 0660 "$work/rec" /var/lib/strikora/data/Zemblar.rec
install -o strikora -g strikora-operators -m 0660 "$work/journal" /var/lib/strikora/data/Zemblar.journal
check "meters finds the installed record" 'runuser -u strikora -- meters | grep -q "^Record /var/lib/strikora/data/Zemblar.rec"'
check "moneyctl finds the installed ledger" 'runuser -u strikora-money -- moneyctl status | grep -q "credits: £1.50"'

dpkg -i "$deb" > "$work/upgrade.log" 2>&1 || { cat "$work/upgrade.log"; exit 1; }
check "the record kept" 'cmp -s "$work/rec" /var/lib/strikora/data/Zemblar.rec'
check "the game journal kept" 'cmp -s "$work/journal" /var/lib/strikora/data/Zemblar.journal'
check "the ledger kept" 'runuser -u strikora-money -- moneyctl status | grep -q "credits: £1.50"'

dpkg -L strikora | grep -v '^/\.$' > "$work/files"
dpkg -r strikora > /dev/null
check "the programs removed" '[ ! -e /usr/games/strikora ] && [ ! -e /usr/sbin/moneyd ]'
check "the ledger kept until the purge" '[ -f /var/lib/strikora-money/money.db ]'
dpkg -P strikora > /dev/null
check "the package is gone" '! dpkg-query -W strikora > /dev/null 2>&1'
for left in /var/lib/strikora /var/lib/strikora-money /etc/strikora /etc/sudoers.d/strikora \
  /etc/systemd/system/multi-user.target.wants/strikora-moneyd.service \
  /etc/systemd/system/timers.target.wants/strikora-money-metrics.timer; do
  check "$left purged" "[ ! -e $left ] && [ ! -L $left ]"
done
# Every file of the package is gone; folders shared with others (/usr/bin) stay.
while read -r path; do
  [ -d "$path" ] && continue
  check "$path left behind" "[ ! -e '$path' ] && [ ! -L '$path' ]"
done < "$work/files"
[ $fail -eq 0 ] || exit 1
echo "package: installed, upgraded over itself keeping the record, journal and ledger, purged"
