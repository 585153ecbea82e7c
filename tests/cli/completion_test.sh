#!/usr/bin/env bash
# The bash completion of pelto-cli, as the build writes it: driven as bash drives it, and checked
# against what pelto-cli itself accepts. Usage: completion_test.sh COMPLETION PELTO_CLI
set -uo pipefail
completion=$1 cli=$2
source "$completion" || exit 1
failures=0

# complete WORD... : the completions of the last word, one line each, sorted.
complete_words() {
    COMP_WORDS=(pelto-cli "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _pelto_cli
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
}

expect() {
    local what=$1 expected=$2 actual=$3
    if [[ $actual != "$expected" ]]; then
        printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$what" "$expected" "$actual"
        failures=$((failures + 1))
    fi
}
words() { tr '\n' ' ' | sed 's/ $//'; }

# What pelto-cli says it accepts.
commands=$("$cli" --help | sed -n '/^commands:/,/^$/p' | grep -oE '^  [a-z][a-z-]*' | tr -d ' ' | sort)
[[ -n $commands ]] || { echo "FAIL no commands in pelto-cli --help"; exit 1; }
expect "every command, --help and --version" "$(printf '%s\n' $commands --help --version | sort | words)" \
    "$(complete_words '' | words)"
for command in $commands; do
    options=$("$cli" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u | words)
    expect "options of $command" "$(printf '%s\n' $options --help | sort | words)" \
        "$(complete_words "$command" '' | words)"
done
# Each option whose words a synopsis lists ("--scope action|directions|all", perhaps broken over
# lines at a bar): the completion offers those words and no others.
for command in $commands; do
    while read -r option list; do
        expect "words of $command $option" "$(tr '|' '\n' <<<"$list" | sort | words)" \
            "$(complete_words "$command" "$option" '' | words)"
    done < <("$cli" "$command" --help | tr '\n' ' ' | sed 's/ *|/|/g' |
        grep -oE -- '--[a-z][a-z-]* [a-z0-9]+(\|[a-z0-9]+)+' | sort -u)
done
formats=$("$cli" render --chara 0 --format '?' 2>&1 | sed -n 's/.*--format must be one of //p' |
    tr -d ',' | tr ' ' '\n' | sort | words)
[[ -n $formats ]] || { echo "FAIL no formats in pelto-cli's message"; exit 1; }
expect "every format" "$formats" "$(complete_words render --format '' | words)"

# Prefixes, options given once, values of one command.
expect "command prefix" "game-folder" "$(complete_words ga | words)"
expect "option prefix" "--flip --format --frame --frame-names" "$(complete_words render --chara 1 --f | words)"
expect "options not given yet" "--chara --json" "$(complete_words info --game /tmp/x '' | words)"
expect "transparent formats" "tapng tbundle tgif tpng tsheet twebp" "$(complete_words render --format t | words)"
expect "demo scales" "full small" "$(complete_words demo --out d --scale '' | words)"
expect "render scales" "1 2 3 4 5 6 7 8" "$(complete_words render --scale '' | words)"
expect "a free value" "" "$(complete_words render --code '' | words)"
expect "repeatable options stay offered" "--wear" \
    "$(complete_words code --wear 3:1 --w | words)"
expect "slots to strip" "hand head" "$(complete_words code --strip h | words)"
expect "unknown command" "" "$(complete_words serve-all '' | words)"
expect "an empty command" "" "$(complete_words '' '' 2>&1 | words)"
expect "after an empty word" "--chara --game --json" "$(complete_words info '' '' 2>&1 | words)"

# Paths: folders only after --game and demo's --out, files too after --settings.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/game one" "$scratch/gamma"
touch "$scratch/game.ini"
expect "folders after --game" "$scratch/game one $scratch/gamma" \
    "$(complete_words info --game "$scratch/ga" | words)"
expect "folders after demo --out" "$scratch/game one $scratch/gamma" \
    "$(complete_words demo --out "$scratch/ga" | words)"
expect "files after --settings" "$scratch/game one $scratch/game.ini $scratch/gamma" \
    "$(complete_words game-folder --settings "$scratch/ga" | words)"

((failures == 0)) && echo "all completions as expected"
exit $((failures > 0))
