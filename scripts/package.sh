#!/usr/bin/env bash
# Builds the cabinet's Debian packages from this tree with debhelper (debian/): the
# programs, the game's data, the units, users (sysusers.d), folders (tmpfiles.d), the
# settings in /etc/strikora, man pages made from --help; hardened by dpkg-buildflags,
# stripped, with the debug symbols in strikora-dbgsym. Then lintian checks them.
# The .deb files, the .changes and lintian's report land in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
needed=(debhelper dpkg-dev fakeroot help2man lintian libsystemd-dev)
missing=()
for p in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

out=build/package
# debhelper builds in a copy of the tree, so that the source build's folders stay as they are.
work=build/package-work
rm -rf "$work" && mkdir -p "$work/src" "$out"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/src"
(cd "$work/src" && dpkg-buildpackage -us -uc -b -j"${JOBS:-2}")
rm -f "$out"/*.deb "$out"/*.ddeb
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out"/
# No errors and no warnings; the report is kept beside the packages.
lintian --fail-on error,warning --display-info "$out"/*.changes | tee "$out/lintian.txt"
ls -l "$out"/*.deb
