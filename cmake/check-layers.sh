#!/bin/sh
# Checks that every project include and every link between the layers' CMake targets runs
# downward through the layers:
#   platform < markup < common < sdk, filters < outside < studio, tools
# A folder includes its own headers and those of the layers below it, and its targets link
# only libraries defined in it or below it; sdk and filters use neither each other, nor do
# studio and tools. tests/ and bench/ may use anything. Prints each offending line and
# exits 1 when there is one.
cd "${1:-$(dirname "$0")/..}" || exit 2

layers="platform markup common sdk filters outside studio tools"
present=""
for layer in $layers; do
    [ -d "$layer" ] && present="$present $layer"
done
[ -n "$present" ] || exit 0

ranks='
    rank["platform"] = 0; rank["markup"] = 1; rank["common"] = 2
    rank["sdk"] = 3; rank["filters"] = 3; rank["outside"] = 4
    rank["studio"] = 5; rank["tools"] = 5
'
status=0

# file:line:#include "dir/..." for every project include of every layer.
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' $present \
    --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.c' |
awk '
    BEGIN {
        '"$ranks"'
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
    END { exit bad }' || status=1

# The CMake files of the layers: each target defined there (add_library, add_executable and
# the project's module functions) belongs to the layer of its file; every library named in a
# target_link_libraries call must belong to the linking target's layer or one below it.
find $present \( -name CMakeLists.txt -o -name '*.cmake' \) | sort |
xargs awk '
    BEGIN {
        '"$ranks"'
        defining["add_library"] = 1; defining["add_executable"] = 1
        defining["leaf_add_module"] = 1; defining["leaf_add_filter_module"] = 1
        keyword["PUBLIC"] = 1; keyword["PRIVATE"] = 1; keyword["INTERFACE"] = 1
        keyword["LINK_PUBLIC"] = 1; keyword["LINK_PRIVATE"] = 1
        links = 0; bad = 0
    }
    FNR == 1 { command = "" }
    {
        line = $0
        sub(/#.*/, "", line)
        if (command == "") {
            if (!match(line, /^[ \t]*[A-Za-z_]+[ \t]*\(/)) next
            name = substr(line, RSTART, RLENGTH)
            gsub(/[ \t(]/, "", name)
            if (!(name in defining) && name != "target_link_libraries") next
            command = name; text = ""; start = FNR; depth = 0
            line = substr(line, RSTART + RLENGTH - 1)
        }
        text = text " " line
        depth += gsub(/\(/, "(", line) - gsub(/\)/, ")", line)
        if (depth > 0) next
        # The arguments between the outer parentheses.
        sub(/^[ \t]*\(/, "", text); sub(/\)[ \t]*$/, "", text)
        count = split(text, argument, /[ \t]+/)
        first = 0
        for (i = 1; i <= count; ++i) if (argument[i] != "") { first = i; break }
        split(FILENAME, path, "/"); layer = path[1]
        if (first && command in defining) {
            owner[argument[first]] = layer
        } else if (first) {
            for (i = first + 1; i <= count; ++i) {
                if (argument[i] == "" || argument[i] in keyword) continue
                ++links
                linker[links] = argument[first]; library[links] = argument[i]
                where[links] = FILENAME ":" start; fileLayer[links] = layer
            }
        }
        command = ""
    }
    END {
        for (i = 1; i <= links; ++i) {
            if (!(library[i] in owner)) continue
            from = linker[i] in owner ? owner[linker[i]] : fileLayer[i]
            to = owner[library[i]]
            if (from == to || rank[to] < rank[from]) continue
            print "layer violation (" from " may not link " to "): " where[i] ": " linker[i] " links " library[i]
            bad = 1
        }
        exit bad
    }' || status=1

exit $status
