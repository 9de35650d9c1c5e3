#!/bin/sh
# Checks that every project include runs downward through the layers:
#   platform < markup < common < sdk, filters < outside < studio, tools
# A folder includes its own headers and those of the layers below it; sdk and filters
# include neither each other, nor do studio and tools. tests/ and bench/ may include
# anything. Prints each offending line and exits 1 when there is one.
cd "${1:-$(dirname "$0")/..}" || exit 2

rank() {
    case "$1" in
        platform) echo 0 ;;
        markup) echo 1 ;;
        common) echo 2 ;;
        sdk | filters) echo 3 ;;
        outside) echo 4 ;;
        studio | tools) echo 5 ;;
        *) echo "" ;;
    esac
}

status=0
report=$(mktemp) || exit 2
for layer in platform markup common sdk filters outside studio tools; do
    [ -d "$layer" ] || continue
    own=$(rank "$layer")
    # file:line:#include "dir/..."
    grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$layer" \
        --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.c' |
    while IFS= read -r line; do
        target=$(printf '%s\n' "$line" | sed -E 's/^[^"]*"([a-z]+)\/.*$/\1/')
        [ "$target" = "$layer" ] && continue
        other=$(rank "$target")
        [ -n "$other" ] || continue
        if [ "$other" -ge "$own" ]; then
            echo "layer violation ($layer may not include $target): $line"
        fi
    done
done > "$report"
if [ -s "$report" ]; then
    cat "$report"
    status=1
fi
rm -f "$report"
exit $status
