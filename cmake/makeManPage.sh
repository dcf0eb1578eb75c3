#!/bin/sh
# Writes morvane's manual page from its own help, so that the page always says what the
# program does:
#   makeManPage.sh <morvane> <output.1>
# help2man turns `morvane --help` and `--version` into the page; every subcommand named in a
# "Subcommands:" list of a help text (the main one's, and theirs in turn) gets a subsection of
# its own, made by help2man from `morvane SUBCOMMAND... --help`. Fails when a help fails.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 <morvane> <output.1>" >&2
  exit 2
fi
morvane=$1
output=$2
command -v help2man >/dev/null 2>&1 || { echo "$0: help2man is not installed (Debian: help2man)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The names under a help text's "Subcommands:" heading: the least indented words of the list
# (a deeper indented line continues a description).
subcommandsOf() {
  awk '
    { line = $0; sub(/\r$/, "", line) }
    tolower(line) ~ /^ *subcommands: *$/ { inside = 1; indent = -1; next }
    inside && line ~ /^[^ \t]/ { inside = 0 }
    inside && line ~ /[^ \t]/ {
      match(line, /^[ \t]*/)
      if (indent < 0) indent = RLENGTH
      if (RLENGTH == indent) { split(line, words, /[ \t]+/); print words[2] }
    }' "$1"
}

version=$("$morvane" --version | head -n 1 | awk '{ print $NF }')

# One subsection per subcommand, depth first, in the order the help lists them.
sections=$work/subcommands.roff
: >"$sections"
describe() {
  # $@: the words of the subcommand, e.g. "import prt"
  words="$*"
  name=$(printf '%s' "$words" | tr ' ' '-')
  wrapper=$work/morvane-$name
  {
    echo '#!/bin/sh'
    printf 'exec "%s"' "$morvane"
    for word in "$@"; do printf ' "%s"' "$word"; done
    echo ' "$@"'
  } >"$wrapper"
  chmod +x "$wrapper"
  if ! "$wrapper" --help >"$work/help-$name.txt" 2>&1; then
    echo "$0: morvane $words --help failed:" >&2
    cat "$work/help-$name.txt" >&2
    exit 1
  fi
  help2man --no-info --no-discard-stderr --version-string="$version" --name="morvane $words" \
      "$wrapper" >"$work/page-$name.1"
  # The page's sections become paragraphs under one heading; its program name is the
  # subcommand as typed.
  escapedName=$(printf '%s' "morvane-$name" | sed 's/-/\\\\-/g')
  awk -v title="morvane $words" -v plain="morvane-$name" -v escaped="$escapedName" '
    BEGIN { section = "" }
    /^\.SH / {
      section = substr($0, 5); gsub(/"/, "", section)
      if (section == "SYNOPSIS") print ".SS \"" title "\""
      else if (section != "NAME" && section != "DESCRIPTION")
        print ".PP\n.B " substr(section, 1, 1) tolower(substr(section, 2)) ":"
      else if (section == "DESCRIPTION") print ".PP"
      next
    }
    section == "" || section == "NAME" { next }
    /^\.SS / { heading = substr($0, 5); gsub(/"/, "", heading); print ".PP\n.B " heading; next }
    { gsub(escaped, title); gsub(plain, title); print }' "$work/page-$name.1" >>"$sections"
  for sub in $(subcommandsOf "$work/help-$name.txt"); do
    describe "$@" "$sub"
  done
}

"$morvane" --help >"$work/help.txt"
for sub in $(subcommandsOf "$work/help.txt"); do
  describe "$sub"
done

include=$work/include.h2m
{
  echo '[NAME]'
  echo 'morvane \- run the quorvel plugin without the Morvane desktop host'
  if [ -s "$sections" ]; then
    echo '[SUBCOMMANDS]'
    cat "$sections"
  fi
  echo '[SEE ALSO]'
  echo 'The README of quorvel, in share/doc/quorvel/README.md under the installation prefix'
  echo '(/usr from the Debian package), and the example studies in share/quorvel/examples.'
  echo '[COPYRIGHT]'
  echo 'Copyright (c) the quorvel developers. BSD-3-Clause licence: see the LICENSE file.'
} >"$include"

help2man --no-info --include="$include" --version-string="$version" "$morvane" >"$work/morvane.1"
mv "$work/morvane.1" "$output"
