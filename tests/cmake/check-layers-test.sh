#!/bin/sh
# The layer check on a tree of its own: an HTML filter library that links a library of sdk/
# in a call over several lines is reported once, with the line its call starts on, and the
# check fails; downward links and a library named only in a comment are not reported.
checker="$1"
fixture="$(dirname "$0")/layers"
output=$(sh "$checker" "$fixture")
status=$?
expected="layer violation (filters may not link sdk): filters/html/CMakeLists.txt:2: fixture_html links fixture_package"
if [ "$status" -ne 1 ] || [ "$output" != "$expected" ]; then
    echo "exit status $status, output:"
    echo "$output"
    echo "expected exit status 1 and:"
    echo "$expected"
    exit 1
fi
