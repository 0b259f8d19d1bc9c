#!/usr/bin/env bash
# Sets everything up and runs every test: formatting, clang-tidy, the normal build's tests
# and the sanitizer build's tests.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {  # name, command...: runs it and says how long it took
  local name=$1 start=$SECONDS; shift
  "$@"
  echo "test: $name took $((SECONDS - start)) s"
}

step setup scripts/setup.sh
step format scripts/check-format.sh
step build scripts/build.sh --sanitize
# clang-tidy over the shipped code, from the normal build's compile commands (.clang-tidy).
step tidy scripts/tidy.sh build
# The Debian package, built and checked by lintian here; as root the suite also installs,
# upgrades and purges it on this machine (smoke.PackageInstall, skipped otherwise).
step package scripts/package.sh

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
step tests ctest --test-dir build --output-on-failure -j "$(nproc)"
step sanitizer-tests ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -LE no-sanitize
echo "test: all passed in $SECONDS s"
