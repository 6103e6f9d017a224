#!/bin/sh
# Prints the dependency graph between the source folders (src/<module>, tools/<tool>), read
# from the #include lines: one "from -> to" line per pair, then whether the graph has a
# cycle. Exit status 1 when it has one.
#   scripts/module-graph.sh [repository root]
set -eu
root=${1:-$(dirname "$0")/..}
cd "$root"

modules=$(ls -d src/*/ | sed 's#src/##; s#/$##')
edges=$(
    for file in $(find src tools -name '*.h' -o -name '*.cpp' | sort); do
        from=$(echo "$file" | cut -d/ -f2)
        case $file in tools/*) from=tools/$from ;; esac
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*"/\1/p' "$file" |
            while read -r to; do
                for m in $modules; do
                    if [ "$to" = "$m" ] && [ "$to" != "$from" ]; then
                        echo "$from -> $to"
                    fi
                done
            done
    done | sort -u
)
echo "$edges"
if echo "$edges" | awk '{ print $1, $3 }' | tsort >/dev/null 2>/tmp/module-graph.$$; then
    echo "no cycle"
    rm -f /tmp/module-graph.$$
else
    echo "cycle:"
    sed -n 's/^tsort: //p' /tmp/module-graph.$$ | grep -v 'input contains a loop' | sed 's/^/  /'
    rm -f /tmp/module-graph.$$
    exit 1
fi
