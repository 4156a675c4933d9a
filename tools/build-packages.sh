#!/usr/bin/env bash
# Builds the Debian packages of debian/ (libostrel1, libostrel-dev, ostrel-designer-plugin,
# quillon) and checks them with lintian:
#
#   tools/build-packages.sh [OUTPUT_DIR]        (default: build-packages/ in the tree)
#
# Installs the build-dependencies, dpkg-dev and lintian with apt-get (through sudo when not
# root), builds with dpkg-buildpackage in a copy of the tree, so the tree gets no build
# products and dpkg-buildpackage has a parent folder to write the packages to, and leaves
# the .deb, .ddeb, .buildinfo and .changes files in OUTPUT_DIR. The package build runs the
# test suite; DEB_BUILD_OPTIONS=nocheck skips it, DEB_BUILD_PROFILES=nocheck also leaves out
# the build-dependencies only the tests need. Ends with status 0 when lintian reports no
# error and no warning.
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$source_dir/build-packages}")"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
profiles="${DEB_BUILD_PROFILES:-}"
echo "== Installing the build-dependencies"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  build-essential dpkg-dev lintian >/dev/null
# Without recommended packages, as Debian's build machines do: what the build needs is listed.
DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y -qq --no-install-recommends \
  ${profiles:+-P "${profiles// /,}"} "$source_dir/" >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/ostrel-packages.XXXXXX")"
trap 'rm -rf "$work"' EXIT
echo "== Copying the tree to $work/ostrel"
mkdir "$work/ostrel"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # The files of the checkout, uncommitted ones included; build folders are ignored by git.
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
      if [ -e "$source_dir/$file" ] || [ -L "$source_dir/$file" ]; then printf '%s\0' "$file"; fi
    done |
    tar -C "$source_dir" --null -T - -cf - | tar -C "$work/ostrel" -xf -
else
  tar -C "$source_dir" --exclude='./build*' --exclude=./.git --exclude=./debian/build \
    -cf - . | tar -C "$work/ostrel" -xf -
fi

echo "== dpkg-buildpackage -us -uc -b"
(cd "$work/ostrel" && dpkg-buildpackage -us -uc -b -Jauto)

mkdir -p "$out"
rm -f "$out"/*.deb "$out"/*.ddeb "$out"/*.buildinfo "$out"/*.changes
shopt -s nullglob
cp "$work"/*.deb "$work"/*.ddeb "$work"/*.buildinfo "$work"/*.changes "$out"/
changes=("$out"/ostrel_*.changes)
if [ "${#changes[@]}" -ne 1 ]; then
  echo "expected one ostrel_*.changes in $out, found ${#changes[@]}" >&2
  exit 1
fi

echo "== lintian ${changes[0]##*/}"
report="$work/lintian.txt"
status=0
lintian --display-info --pedantic --show-overrides --fail-on error,warning "${changes[0]}" \
  >"$report" 2>&1 || status=$?
cat "$report"
# 2 means errors or warnings were found (counted below); 1 that lintian could not check.
if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then
  echo "lintian could not check the packages (status $status)" >&2
  exit 1
fi
count() { grep -c "^$1: " "$report" || true; }
errors=$(count E)
warnings=$(count W)
echo
echo "Packages in $out:"
for deb in "$out"/*.deb; do echo "  ${deb##*/}"; done
echo "lintian: $errors errors, $warnings warnings, $(count I) informational, $(count P) pedantic," \
  "$(count O) overridden"
if [ "$errors" -ne 0 ] || [ "$warnings" -ne 0 ]; then
  echo "verdict: NOT CLEAN"
  exit 1
fi
echo "verdict: clean (no errors, no warnings)"
