#!/bin/bash
# Drives the generated completion as bash does on Tab: COMP_WORDS and
# COMP_CWORD set, the function called, COMPREPLY read; for a few command
# lines, in a folder holding files of several kinds.
#
#   completion_test.sh COMPLETION_FILE SCRTOOL
set -u
completion=$(realpath "$1")
scrtool=$(realpath "$2")
. /usr/share/bash-completion/bash_completion || { echo "completion_test: bash-completion is missing"; exit 1; }
. "$completion"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch a.scr b.png c.screen d.attr
mkdir sub
failures=0

# candidates "LINE": COMPREPLY for the last word of LINE (a trailing space
# starts a new, empty word).
candidates() {
    local line=$1
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _scrtool scrtool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
}

# complete_line "LINE" EXPECTED...: the candidates, sorted, are exactly EXPECTED.
complete_line() {
    local line=$1
    shift
    candidates "$line"
    local got expected
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ')
    expected=$(printf '%s\n' "$@" | sed '/^$/d' | sort | tr '\n' ' ')
    if [[ $got != "$expected" ]]; then
        echo "completion_test: '$line' gives [$got], not [$expected]"
        failures=$((failures + 1))
    fi
}

complete_line "scrtool p" png
complete_line "scrtool in" info invert
complete_line "scrtool png --sc" --scale
complete_line "scrtool png --scale " 1 2 3 4 5 6 7 8
complete_line "scrtool png --scale=" 1 2 3 4 5 6 7 8
complete_line "scrtool png --palette f" fuse
complete_line "scrtool png a.scr --view " colour color mono
complete_line "scrtool png --f" --flash --frames
complete_line "scrtool invert --" --output --in-place --help
complete_line "scrtool check --require no-" no-invisible-pixels no-flash no-bright
complete_line "scrtool help mi" mirror
# Files by what each command reads; folders always.
complete_line "scrtool invert " a.scr sub
complete_line "scrtool png a.scr -o " a.scr b.png c.screen d.attr sub
complete_line "scrtool png --out-dir " sub
complete_line "scrtool join " c.screen d.attr sub
complete_line "scrtool byte-op " ""
complete_line "scrtool byte-op 3 1 2 " a.scr sub
complete_line "scrtool invert -- -" ""
# import's and convert's --mode offers every mode import's help lists (the
# lines under --mode), and --flicker its two choices.
modes=$("$scrtool" help import | awk '/^  --mode /{m = 1; next} /^  -/{m = 0} m {print $1}')
(($(wc -w <<<"$modes") >= 14)) || { echo "completion_test: import's help lists the modes: $modes"; failures=$((failures + 1)); }
# shellcheck disable=SC2086  # one candidate a word
complete_line "scrtool import b.png --mode " $modes
complete_line "scrtool import b.png --mode=timex-h" timex-hicolour timex-hicolour-ulaplus timex-hires
complete_line "scrtool convert a.scr -o x.scr --mode g" gigascreen
complete_line "scrtool import --flicker " low any
# export's --part offers every part a mode may have.
complete_line "scrtool export bin a.scr --part frame2" frame2 frame2-bitmap frame2-attributes
complete_line "scrtool export zx0 --part=p" palette

# Every command scrtool's overview lists, whatever it is: its name completes,
# as the first word and after help; its options are exactly the ones its help
# lists (leading operands given, so that options are offered); folders are
# offered where its files go.
commands=$("$scrtool" help | sed -nE 's/^  ([a-z][a-z-]*) .*/\1/p')
(($(wc -w <<<"$commands") >= 15)) || { echo "completion_test: the overview lists only: $commands"; failures=$((failures + 1)); }
offers() { # offers WORD "LINE": WORD is among the candidates for LINE
    candidates "$2"
    [[ " ${COMPREPLY[*]} " == *" $1 "* ]] || { echo "completion_test: '$2' does not offer $1"; failures=$((failures + 1)); }
}
for command in $commands; do
    offers "$command" "scrtool ${command:0:2}"
    offers "$command" "scrtool help ${command:0:2}"
    offers sub "scrtool $command x x x "
    listed=$("$scrtool" help "$command" | grep -oE -- '^  (-[a-z], )?--[a-z-]+' | grep -oE -- '-[a-z-]+' | sort -u | tr '\n' ' ')
    candidates "scrtool $command x x x -"
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | grep -vx -- --help | sort -u | tr '\n' ' ')
    [[ $offered == "$listed" ]] || { echo "completion_test: $command offers [$offered], its help lists [$listed]"; failures=$((failures + 1)); }
done

[[ $failures == 0 ]] && echo "completion_test: all command lines complete as expected"
exit $((failures > 0))
