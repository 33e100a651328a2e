#!/usr/bin/env bash
# The manual page of `ambrix`, as man renders it.
#  1. The page the build wrote renders without warnings, has the sections of a
#     manual page, and holds every command the program's help lists with
#     every option that command's help names.
#  2. The page follows the help: written from a stand-in program whose help
#     lists another command, it holds that command, its options and its text,
#     including lines man would otherwise take for its own requests or escapes.
#   man_page_test.sh AMBRIX PAGE WRITER
set -euo pipefail
ambrix=$1
page=$2
writer=$3
work=$(mktemp -d /tmp/ambrix-man-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The page as text: plain ASCII, lines wide enough that no phrase is broken.
render() {
  local warnings
  warnings=$(zcat -f "$1" | groff -man -ww -z 2>&1) || true
  [ -z "$warnings" ] || fail "groff warns about $1: $warnings"
  LC_ALL=C MANWIDTH=400 man -l "$1" 2>"$work/man.stderr" | col -bx
  [ ! -s "$work/man.stderr" ] || fail "man -l $1 says: $(cat "$work/man.stderr")"
}
# has TEXT FILE WHAT: the rendered page holds TEXT as a whole line or part of one.
has() { grep -qF -- "$1" "$2" || fail "$3: '$1' is not in the page"; }

# 1. The built page.
[ -s "$page" ] || { echo "FAIL: no page at $page" >&2; exit 1; }
render "$page" >"$work/page.txt"
for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS "EXIT STATUS"; do
  grep -qx "$section" "$work/page.txt" || fail "no section $section"
done
has "ambrix - convert Microsoft SQL Server 2000" "$work/page.txt" "NAME"
has "$("$ambrix" --version)" "$work/page.txt" "the version"
mapfile -t commands < <("$ambrix" --help | awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit }
  on { sub(/^ +/, ""); sub(/  .*/, ""); print }')
[ ${#commands[@]} -ge 5 ] || fail "the help lists only ${#commands[@]} commands: ${commands[*]}"
for c in "${commands[@]}"; do
  # shellcheck disable=SC2086 # a command name of two words is two arguments
  help=$("$ambrix" $c --help)
  # The command's heading in COMMANDS, and its line in SYNOPSIS.
  grep -qE "^   $c( |$)" "$work/page.txt" || fail "no heading for the command '$c'"
  grep -qE "^       ambrix $c( |$)" "$work/page.txt" || fail "no synopsis line for '$c'"
  for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
    has "$option" "$work/page.txt" "option of '$c'"
  done
  has "$(sed -n 's/^  \(ambrix .*\)/\1/p' <<<"$help" | tail -n 1)" "$work/page.txt" "example of '$c'"
done

# 2. A stand-in program with a command the real one may not have yet.
cat >"$work/stand-in" <<'EOF'
#!/usr/bin/env bash
case "$*" in
  --version) echo "ambrix 9.8.7" ;;
  --help) cat <<'HELP' ;;
Usage: ambrix COMMAND [ARGUMENTS] [OPTIONS]

Converts scripts.

Commands:
  convert          convert scripts
  repository init  make an empty repository

Options of every command:
  -q, --quiet  no log lines

Exit codes: 0 done; 3 an error.
HELP
  "convert --help") printf 'Usage: ambrix convert INPUT...\n\nConverts INPUT.\n\nOptions of every command:\n  -q, --quiet  no log lines\n' ;;
  "repository init --help") cat <<'HELP' ;;
Usage: ambrix repository init [OPTIONS]

Creates the tables of an empty repository at C:\data\new, or in
.the folder given (a line man would read as a request),
'and this one too.

Options:
      --schema-only  only the tables, no dialect rows

Options of every command:
  -q, --quiet  no log lines

Example:
  ambrix repository init --repository sqlite:new.sqlite3
HELP
  *) echo "stand-in: unexpected: $*" >&2; exit 2 ;;
esac
EOF
chmod +x "$work/stand-in"
bash "$writer" "$work/stand-in" "$work/stand-in.1.gz"
render "$work/stand-in.1.gz" >"$work/stand-in.txt"
for text in "   repository init [OPTIONS]" "       ambrix repository init [OPTIONS]" "--schema-only" \
            "only the tables, no dialect rows" "ambrix repository init --repository sqlite:new.sqlite3" \
            'C:\data\new' ".the folder given (a line man would read as a request)," "'and this one too." \
            "ambrix 9.8.7" "0 done; 3 an error."; do
  has "$text" "$work/stand-in.txt" "the stand-in's page"
done
# The options every command takes are given once, in OPTIONS, not under each command.
n=$(grep -c -- "-q, --quiet" "$work/stand-in.txt")
[ "$n" = 1 ] || fail "the common options are in the stand-in's page $n times, not once"

if [ "$failures" -gt 0 ]; then
  echo "man page: $failures failures" >&2
  exit 1
fi
echo "man page: every command and option of the help is in it"
