#!/usr/bin/env bash
# Runs every test: sets up what is missing, builds the native unit tests and
# both Windows builds, runs the unit tests (CTest) and the end-to-end tests
# of the real programs under Wine (pytest). Extra arguments go to pytest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${TW_BUILD_ROOT:-$here/build}
"$here/scripts/setup.sh"
echo "== build"
"$here/scripts/build.sh" all
echo "== native unit tests"
ctest --test-dir "$root/native" --output-on-failure -j 2
echo "== end-to-end tests under Wine"
cd "$here/tests"
/usr/bin/python3 -m pytest e2e -p no:cacheprovider -q -rs "$@"
