#!/bin/sh
# Checks that every project include runs downward through the layers:
#   platform < markup < common < sdk, filters < outside < studio, tools
# A folder includes its own headers and those of the layers below it; sdk and filters
# include neither each other, nor do studio and tools. tests/ and bench/ may include
# anything. Prints each offending line and exits 1 when there is one.
cd "${1:-$(dirname "$0")/..}" || exit 2

layers="platform markup common sdk filters outside studio tools"
present=""
for layer in $layers; do
    [ -d "$layer" ] && present="$present $layer"
done
[ -n "$present" ] || exit 0

# file:line:#include "dir/..." for every project include of every layer.
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' $present \
    --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.c' |
awk '
    BEGIN {
        rank["platform"] = 0; rank["markup"] = 1; rank["common"] = 2
        rank["sdk"] = 3; rank["filters"] = 3; rank["outside"] = 4
        rank["studio"] = 5; rank["tools"] = 5
        bad = 0
    }
    {
        split($0, path, "/"); layer = path[1]
        target = $0; sub(/^[^"]*"/, "", target); sub(/\/.*$/, "", target)
        if (target == layer || !(target in rank)) next
        if (rank[target] >= rank[layer]) {
            print "layer violation (" layer " may not include " target "): " $0
            bad = 1
        }
    }
    END { exit bad }'
