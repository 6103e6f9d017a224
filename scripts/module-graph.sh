#!/bin/sh
# Checks the dependencies between the source folders (src/<module>, tools/<tool>, web/core),
# read from the #include lines, against the module graph in README.md ("Layout"): the lines
# below its "module graph" marker name each folder and the folders it uses, top layer first.
# Prints the graph the code has, then fails (exit 1) when
#   - the code uses a folder its README line does not name, or the README names one it
#     does not use;
#   - a folder is missing from the README's graph;
#   - a README line names a folder on its own line or above it (the layers must point down,
#     which also rules out cycles).
#   scripts/module-graph.sh [repository root]
set -eu
root=${1:-$(dirname "$0")/..}
cd "$root"

folders=$( (ls -d src/*/ | sed 's#src/##; s#/$##'; ls -d tools/*/ | sed 's#/$##'; echo web/core) | sort)
modules=$(ls -d src/*/ | sed 's#src/##; s#/$##')
# One pass over every file: "from -> to" for each #include "to/..." of another module.
code_edges=$(
    find src tools web/core \( -name '*.h' -o -name '*.cpp' \) -print0 | xargs -0 awk -v modules="$modules" '
        BEGIN { n = split(modules, m, "\n"); for (i = 1; i <= n; i++) module[m[i]] = 1 }
        FNR == 1 { k = split(FILENAME, part, "/"); from = part[1] == "src" ? part[2] : part[1] "/" part[2] }
        /^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^\/"]*\// {
            to = $0
            sub(/^[^"]*"/, "", to)
            sub(/\/.*/, "", to)
            if ((to in module) && to != from) print from " -> " to
        }' | sort -u
)
echo "$code_edges"

# The README's graph: "folder -> a, b (note), c; remark" lines in the indented block after the
# marker, a line indented further continuing the one above; notes in brackets and anything
# after a semicolon are for the reader.
readme_lines=$(awk '/<!-- module graph/ { on = 1; next }
                    on && seen && /^     +[^ ]/ { line = line " " $0; next }
                    on && /^    [^ ]/ { if (seen) print line; line = substr($0, 5); seen = 1; next }
                    on && seen { exit }
                    END { if (seen) print line }' README.md |
    sed 's/;.*//; s/([^)]*)//g; s/,/ /g; s/->/ /; s/[[:space:]][[:space:]]*/ /g; s/ $//')
[ -n "$readme_lines" ] || { echo "README.md has no module graph after a '<!-- module graph' marker"; exit 1; }
readme_edges=$(echo "$readme_lines" | awk '{ for (i = 2; i <= NF; i++) print $1 " -> " $i }' | sort -u)

status=0
problems=$(
    echo "$readme_lines" | awk -v folders="$folders" '
        { layer[$1] = NR; line[NR] = $0 }
        END {
            n = split(folders, f, "\n")
            for (i = 1; i <= n; i++) if (!(f[i] in layer)) print "missing from the README graph: " f[i]
            for (r = 1; r <= NR; r++) {
                k = split(line[r], w, " ")
                for (i = 2; i <= k; i++) {
                    if (!(w[i] in layer)) print "not a line of the README graph: " w[i] " (used by " w[1] ")"
                    else if (layer[w[i]] <= r) print "points up or sideways: " w[1] " -> " w[i]
                }
            }
        }'
    echo "$code_edges" | grep -v '^$' | while read -r edge; do
        echo "$readme_edges" | grep -qxF "$edge" || echo "in the code, not in the README graph: $edge"
    done
    echo "$readme_edges" | while read -r edge; do
        echo "$code_edges" | grep -qxF "$edge" || echo "in the README graph, not in the code: $edge"
    done
)
if [ -n "$problems" ]; then
    echo "$problems"
    status=1
else
    echo "the code's graph is the README's, every folder above the folders it uses"
fi
exit $status
