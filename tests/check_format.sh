#!/bin/sh
# Fails when a source file differs from what clang-format makes of it with the
# repository's .clang-format, and names each such file. With a path argument,
# checks that file only (how the test is seen to fail on a misformatted file).
# usage: check_format.sh <source root> [file...]
set -eu
root=$1
shift
cd "$root"
command -v clang-format >/dev/null || { echo "check_format: clang-format is not installed"; exit 1; }
if [ $# -eq 0 ]; then
    set -- $(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
        'packaging/*.cpp' 2>/dev/null || find src tests bench packaging -name '*.cpp' -o -name '*.h')
fi
bad=0
for f in "$@"; do
    if ! clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f (clang-format -i $f)"
        bad=$((bad + 1))
    fi
done
[ "$bad" -eq 0 ] || { echo "check_format: $bad file(s) not formatted"; exit 1; }
echo "check_format: $# files formatted"
