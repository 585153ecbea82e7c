#!/usr/bin/env bash
# A manual page renders without warnings and names the program's version, every command and
# every option its --help gives. Usage: man_page_test.sh PAGE PROGRAM
set -uo pipefail
page=$1 program=$2
failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man warns:"$'\n'"$warnings"
text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | col -b)

version=$("$program" --version | awk '{print $2}')
[[ -n $version ]] || fail "no version from $program --version"
grep -qF -- "pelto $version" <<<"$text" || fail "the page does not name version $version"

help=$("$program" --help)
commands=$(sed -n '/^commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z][a-z-]*' | tr -d ' ')
for command in $commands; do
    grep -qE -- "(^|[[:space:]])$command([[:space:]]|$)" <<<"$text" || fail "command $command missing"
    help+=$'\n'$("$program" "$command" --help)
done
for option in $(grep -oE -- '(^|[[:space:]([|])--?[a-z][a-z-]*' <<<"$help" | grep -oE -- '--?[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || fail "option $option missing"
done

((failures == 0)) && echo "$page: no warnings, every command and option"
exit $((failures > 0))
