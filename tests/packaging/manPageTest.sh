#!/bin/bash
# The manual page, as man shows it, must hold every option of `morvane --help` and a section
# for every subcommand that a help lists, with every option of that subcommand's help; and
# man must render it without a warning.
#   manPageTest.sh <morvane> <morvane.1>
set -uo pipefail
morvane=$1
page=$2
source "$(dirname "${BASH_SOURCE[0]}")/../study/studyTestTools.sh"

command -v man >/dev/null 2>&1 || skipTest "man is not installed (Debian: man-db)"
[[ -f $page ]] || failTest "no manual page at $page"
text=$(mktemp)
warnings=$(mktemp)
trap 'rm -f "$text" "$warnings"' EXIT
MANWIDTH=200 man --warnings -E ascii --nh --nj -l "$page" >"$text" 2>"$warnings" || failTest "man cannot show $page"
[[ ! -s $warnings ]] || failTest "man warns about the page: $(cat "$warnings")"

checked=0
# $@: the words of a subcommand (none for morvane itself).
checkHelp() {
  local help option sub
  help=$("$morvane" "$@" --help) || failTest "morvane $* --help failed"
  if (($# > 0)); then
    grep -q "^   morvane $*\$" "$text" || failTest "no section \"morvane $*\" in the page"
  fi
  while IFS= read -r option; do
    grep -q -e "$option" "$text" || failTest "the page lacks $option of morvane $* --help"
    checked=$((checked + 1))
  done < <(grep -oE -- '--[a-z][a-z0-9-]+' <<<"$help" | sort -u)
  # The names under "Subcommands:", up to the next blank line.
  local subs=()
  while IFS= read -r sub; do subs+=("$sub"); done < <(
    sed -n '/^[Ss][Uu][Bb][Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:/,/^$/{/^  [a-z]/{s/^ *\([^ ]*\).*/\1/;p}}' <<<"$help")
  for sub in "${subs[@]}"; do checkHelp "$@" "$sub"; done
}
checkHelp
echo "the page holds all $checked options of morvane and its subcommands"
