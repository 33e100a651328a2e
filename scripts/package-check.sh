#!/usr/bin/env bash
# Makes the Debian package of a built folder and checks it as a user gets it:
# its fields, its dependencies (each installed here, where the programs run),
# the exact list of files it installs, the desktop entry and the manual page;
# then, unpacked into a scratch root, the installed `ambrix` must tell the
# package's version, find every library it needs, and convert the example
# exactly as the build's program does. Called by scripts/test.sh.
#   scripts/package-check.sh [BUILD_DIR]        (default: build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d /tmp/ambrix-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "package-check: FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  echo "package-check: cpack failed" >&2
  exit 1
}
debs=("$work"/out/ambrix_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "package-check: cpack made no single ambrix_*.deb: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "package-check: $(basename "$deb") ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Package Version Architecture Maintainer Section Depends Recommends | sed 's/^/  /'

# Every dependency is a package installed here (an alternative is enough).
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package names no dependencies"
IFS=',' read -ra deps <<<"$depends"
for dep in "${deps[@]}"; do
  ok=0
  IFS='|' read -ra alternatives <<<"$dep"
  for alt in "${alternatives[@]}"; do
    name=$(awk '{ print $1 }' <<<"$alt")
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" && ok=1
  done
  [ $ok = 1 ] || fail "the dependency '$dep' is no installed package"
done
for dep in libqt6core6 libqt6widgets6 libqt6sql6-sqlite libsqlite3-0; do
  grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "the package does not depend on $dep"
done

# The files, exactly: a file missing or one installed by mistake fails.
scratch=$work/root
dpkg-deb -x "$deb" "$scratch"
expected=(usr/bin/ambrix usr/bin/ambrix-gui usr/share/man/man1/ambrix.1.gz
          usr/share/applications/ambrix-gui.desktop usr/share/icons/hicolor/scalable/apps/ambrix-gui.svg
          usr/share/doc/ambrix/README.md)
for f in "$root"/examples/*; do expected+=("usr/share/doc/ambrix/$(basename "$f")"); done
printf '%s\n' "${expected[@]}" | sort >"$work/expected.txt"
(cd "$scratch" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$work/files.txt"
if ! diff -u "$work/expected.txt" "$work/files.txt" >"$work/files.diff"; then
  fail "the package's files are not the expected ones (- missing, + not expected):"
  tail -n +3 "$work/files.diff" | grep '^[-+]' >&2 || true
fi
echo "package-check: $(wc -l <"$work/files.txt") files:"
sed 's|^|  /|' "$work/files.txt"

desktop=$scratch/usr/share/applications/ambrix-gui.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
  grep -qx "Exec=ambrix-gui" "$desktop" || fail "the desktop entry does not start ambrix-gui"
fi
man_page=$scratch/usr/share/man/man1/ambrix.1.gz
[ ! -f "$man_page" ] || LC_ALL=C MANWIDTH=80 man -l "$man_page" 2>/dev/null | grep -q "^COMMANDS" ||
  fail "man -l does not render the installed page"

# The installed programs run from the scratch root.
for program in ambrix ambrix-gui; do
  missing=$(ldd "$scratch/usr/bin/$program" 2>&1 | grep "not found" || true)
  [ -z "$missing" ] || fail "$program lacks libraries: $missing"
done
installed=$scratch/usr/bin/ambrix
version=$("$installed" --version)
echo "package-check: the installed ambrix --version: $version"
[ "$version" = "ambrix $(dpkg-deb -f "$deb" Version)" ] || fail "'$version' is not the package's version"
# The same conversion by the installed and the built program, in folders of
# their own so that the file names in the warnings are the same.
for who in installed built; do
  mkdir -p "$work/$who"
  cp "$root/examples/pubs.sql" "$work/$who/"
done
program_of() { [ "$1" = installed ] && echo "$installed" || echo "$build/src/cli/ambrix"; }
for who in installed built; do
  rc=0
  (cd "$work/$who" && "$(program_of $who)" convert -q pubs.sql -o pubs.asa.sql 2>stderr.txt) || rc=$?
  echo "$rc" >"$work/$who/rc"
done
if [ "$(cat "$work/installed/rc")" != 0 ]; then
  fail "the installed ambrix convert examples/pubs.sql exited $(cat "$work/installed/rc"):"
  head -n 5 "$work/installed/stderr.txt" >&2
fi
# The script's header tells when it was made: the two runs may fall in
# different seconds.
for who in installed built; do
  sed -i 's/^> Дата генерации: .*/> Дата генерации: (removed)/' "$work/$who/pubs.asa.sql"
done
for f in rc pubs.asa.sql stderr.txt; do
  if ! cmp -s "$work/installed/$f" "$work/built/$f"; then
    fail "the installed ambrix writes another $f than the built one:"
    diff "$work/installed/$f" "$work/built/$f" | head -n 10 >&2 || true
  fi
done
echo "package-check: the installed ambrix converts examples/pubs.sql as the built one does" \
     "($(wc -l <"$work/installed/pubs.asa.sql") lines, $(wc -l <"$work/installed/stderr.txt") warnings)"

if [ "$failures" -gt 0 ]; then
  echo "package-check: $failures failures" >&2
  exit 1
fi
echo "package-check: the package is good"
