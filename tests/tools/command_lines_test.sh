#!/usr/bin/env bash
# Every program follows the table of command lines in the README: --help prints the usage
# to standard output and exits 0, --version prints "PROGRAM VERSION", and the wrong command
# line of its row exits 64 naming the argument on one line, then how to get help. meters
# also refuses a file that is not a record.
#   command_lines_test.sh README PROGRAM_DIR VERSION
set -euo pipefail
readme=$1
bin=$(cd "$2" && pwd)
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
failed() { echo "FAIL: $*"; fail=1; }

# The rows between the table's markers: | `program` | ... | `wrong command line` | ... |
rows=$(sed -n '/<!-- command-lines -->/,/<!-- \/command-lines -->/p' "$readme" | grep '^| `')
[ "$(echo "$rows" | wc -l)" -eq 7 ] || failed "the README's table has not the 7 programs"
while IFS='|' read -r _ program _ _ wrong _; do
  program=$(echo "$program" | tr -d ' `')
  wrong=$(echo "$wrong" | sed 's/^ *`//; s/` *$//')
  exe="$bin/$program"
  [ -x "$exe" ] || { failed "$program is not built"; continue; }

  code=0
  "$exe" --help > "$work/out" 2> "$work/err" || code=$?
  [ "$code" -eq 0 ] || failed "$program --help exits $code"
  grep -q "^usage: $program" "$work/out" || failed "$program --help prints no usage on stdout"
  [ ! -s "$work/err" ] || failed "$program --help writes to stderr"

  code=0
  "$exe" --version > "$work/out" 2> "$work/err" || code=$?
  [ "$code" -eq 0 ] || failed "$program --version exits $code"
  [ "$(cat "$work/out")" = "$program $version" ] ||
    failed "$program --version prints '$(cat "$work/out")', not '$program $version'"

  read -r -a words <<< "$wrong"
  [ "${words[0]}" = "$program" ] || failed "the wrong command line of $program starts with ${words[0]}"
  code=0
  (cd "$work" && "$exe" "${words[@]:1}" > "$work/out" 2> "$work/err") || code=$?
  [ "$code" -eq 64 ] || failed "'$wrong' exits $code, not 64"
  [ "$(wc -l < "$work/err")" -eq 2 ] || failed "'$wrong' writes $(wc -l < "$work/err") lines: $(cat "$work/err")"
  first=$(head -n 1 "$work/err")
  named=0
  for w in "${words[@]:1}"; do case $first in *"$w"*) named=1 ;; esac; done
  [ "$named" -eq 1 ] && [[ $first == "$program: "* ]] ||
    failed "'$wrong' does not name what was wrong: $first"
  [ "$(sed -n 2p "$work/err")" = "Try '$program --help' for more information." ] ||
    failed "'$wrong' does not say how to get help"
done <<< "$rows"

# A file that is not a record: refused, not shown as one.
head -c 4096 /dev/urandom > "$work/not-a-record"
for file in "$work/not-a-record" "$bin/meters"; do
  code=0
  "$bin/meters" "$file" > "$work/out" 2> "$work/err" || code=$?
  [ "$code" -eq 1 ] && grep -q "is not a statistics record" "$work/err" ||
    failed "meters $file exits $code: $(cat "$work/err")"
  [ ! -s "$work/out" ] || failed "meters $file prints a report"
done

[ $fail -eq 0 ] || exit 1
echo "command lines: the 7 programs follow the README's table"
