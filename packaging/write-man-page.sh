#!/usr/bin/env bash
# Writes the manual page of `ambrix` from the program's own help: the overview
# (`ambrix --help`) gives the synopsis, the description, the options every
# command takes and the exit status; each command the overview lists gives its
# section from `ambrix COMMAND --help`. A command added to the program is in
# the page the next time it is built. OUTPUT ending in .gz is compressed.
#   packaging/write-man-page.sh AMBRIX OUTPUT
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 AMBRIX OUTPUT" >&2; exit 2; }
ambrix=$1
out=$2

overview=$("$ambrix" --help)
version=$("$ambrix" --version)
# The command names: the first column of the lines under "Commands:".
mapfile -t commands < <(printf '%s\n' "$overview" | awk '
  /^Commands:$/ { in_list = 1; next }
  in_list && /^$/ { exit }
  in_list { sub(/^ +/, ""); sub(/  .*/, ""); print }')
[ ${#commands[@]} -gt 0 ] || { echo "$0: '$ambrix --help' lists no commands" >&2; exit 3; }
declare -A help=(["overview"]=$overview)
for c in "${commands[@]}"; do
  # shellcheck disable=SC2086 # a command name of two words is two arguments
  help[$c]=$("$ambrix" $c --help)
done

# Turns help text into man markup. A paragraph is a run of lines between
# blank lines; "Heading:" alone on its line starts one whose indented lines
# are kept as they are (an example) unless they are "LABEL  text" rows, which
# become tagged paragraphs like the option lists. SKIP names a heading whose
# paragraph is left out (the common options, given once in OPTIONS).
to_roff() {
  awk -v skip="${1:-}" '
    function esc(s) {
      gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s)
      if (s ~ /^[.'"'"']/) s = "\\&" s
      return s
    }
    function end_verbatim() { if (verbatim) { print ".fi"; print ".RE"; verbatim = 0 } }
    # A paragraph break is written before the next text, so that blank
    # lines in a row, or at the end, make no empty paragraphs.
    function text(s) { if (pending) { print ".PP"; pending = 0 } print s }
    /^$/ { end_verbatim(); after_heading = 0; skipping = 0; pending = 1; next }
    skipping { next }
    /^[A-Z][A-Za-z ]*:$/ {
      end_verbatim()
      if ($0 == skip) { skipping = 1; next }
      pending = 1; text("\\fB" esc($0) "\\fR"); after_heading = 1; next
    }
    /^ +[^ ].*[^ ]  +[^ ]/ {
      end_verbatim()
      label = $0; sub(/^ +/, "", label); rest = label
      sub(/  .*/, "", label); sub(/^[^ ]+( [^ ]+)*  +/, "", rest)
      pending = 0; print ".TP"; print "\\fB" esc(label) "\\fR"; print esc(rest); next
    }
    after_heading && /^ / {
      if (!verbatim) { text(".RS 4"); print ".nf"; verbatim = 1 }
      sub(/^ +/, ""); print esc($0); next
    }
    { sub(/^ +/, ""); text(esc($0)) }
    END { end_verbatim() }'
}

# The overview's paragraphs by their first line.
paragraph() {  # paragraph REGEX: the paragraphs of the overview whose first line matches
  printf '%s\n' "$overview" | awk -v re="$1" '
    BEGIN { RS = ""; ORS = "\n\n" }
    $0 ~ "^(" re ")" { print }'
}

{
  printf '.TH AMBRIX 1 "" "%s" "User Commands"\n' "$(to_roff <<<"$version")"
  # No hyphenation: an option name broken across lines cannot be searched for.
  echo ".nh"
  echo ".SH NAME"
  echo 'ambrix \- convert Microsoft SQL Server 2000 DDL scripts to Sybase SQL Anywhere 9'
  echo ".SH SYNOPSIS"
  first=1
  for c in overview "${commands[@]}"; do
    usage=$(head -n 1 <<<"${help[$c]}")
    usage=${usage#Usage: ambrix }
    [ $first = 1 ] || echo ".br"
    first=0
    printf '.B ambrix\n%s\n' "$(to_roff <<<"$usage")"
  done
  echo ".SH DESCRIPTION"
  printf '%s\n' "$overview" | awk 'BEGIN { RS = ""; ORS = "\n\n" }
    !/^(Usage:|Commands:|Options of every command:|Exit codes:)/ { print }' | to_roff
  echo ".SH COMMANDS"
  for c in "${commands[@]}"; do
    usage=$(head -n 1 <<<"${help[$c]}")
    printf '.SS "%s"\n' "$(to_roff <<<"${usage#Usage: ambrix }")"
    tail -n +3 <<<"${help[$c]}" | to_roff "Options of every command:"
  done
  echo ".SH OPTIONS"
  echo "Every command takes these options; they may stand anywhere on the command line."
  paragraph "Options of every command:" | tail -n +2 | to_roff
  echo ".SH EXIT STATUS"
  paragraph "Exit codes:" | sed '1s/^Exit codes: *//' | to_roff
} >"$out.tmp.1"

case $out in
  *.gz) gzip -9nc "$out.tmp.1" >"$out.tmp" && rm -f "$out.tmp.1" ;;
  *) mv "$out.tmp.1" "$out.tmp" ;;
esac
mv "$out.tmp" "$out"
