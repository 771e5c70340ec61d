#!/bin/bash
# Writes the fuzz seed corpora: bash fuzz/seeds.sh <tables> <corpora> makes <target>.txt <corpora>/<target>/seed-<line>.
# A seed a line, in hex (blanks are for reading, "#" starts a comment) or as text in double quotes with the
# escapes printf '%b' reads (\n \r \t \\ \xHH \0).
set -eu
rm -rf "$2"
for table in "$1"/*.txt; do
    corpus="$2/$(basename "$table" .txt)" && mkdir -p "$corpus" && number=0
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        digits="$(tr -d ' \t\r' <<<"${line%%#*}")"
        if [[ "$line" == \"*\" ]]; then
            printf '%b' "${line:1:${#line}-2}" >"$corpus/$(printf 'seed-%03d' "$number")"
        elif [[ "$digits" =~ ^([0-9A-Fa-f]{2})+$ ]]; then
            # shellcheck disable=SC2001 # each pair of digits becomes \xHH
            printf '%b' "$(sed 's/../\\x&/g' <<<"$digits")" >"$corpus/$(printf 'seed-%03d' "$number")"
        elif [ -n "$digits" ]; then
            echo "$table:$number: not a seed" >&2 && exit 1
        fi
    done <"$table"
done
