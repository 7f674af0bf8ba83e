#!/bin/bash
# Reports every two units of a library folder that include each other, a unit being a header with
# its sources (name.h, name.cpp and name_part.cpp): a unit may use another only when that one does
# not use it back, nor any unit that it uses in turn (a loop of several units). Usage: includepairs.sh <source folder> <folder> [<unit>:<unit>]...; the pairs
# named after the folder are known and left for their own change. Exit status 1 when another
# pair includes each other, or a pair named no longer does.
set -euo pipefail
cd "${1:?usage: includepairs.sh <source folder> <folder> [<unit>:<unit>]...}"
folder="${2:?usage: includepairs.sh <source folder> <folder> [<unit>:<unit>]...}"
shift 2

# One "unit included-unit" line for each unit that includes another's header.
edges=$(grep -oE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$folder/[a-z0-9_]+\.h\"" \
            "$folder"/*.h "$folder"/*.cpp \
        | sed -E "s#^$folder/([a-z0-9]+)[a-z0-9_]*\.(h|cpp):.*\"$folder/([a-z0-9_]+)\.h\"#\1 \3#" \
        | awk '$1 != $2' | sort -u)

status=0
declare -A known=()
for pair in "$@"; do
    known[$pair]=1
done
while read -r unit used; do
    [[ "$unit" < "$used" ]] && grep -qx "$used $unit" <<<"$edges" || continue
    if [ -n "${known[$unit:$used]+named}${known[$used:$unit]+named}" ]; then
        unset "known[$unit:$used]" "known[$used:$unit]"
        continue
    fi
    echo "$folder/$unit and $folder/$used include each other"
    status=1
done <<<"$edges"
# A loop through three units or more; a pair was told above.
if [ ${#known[@]} -eq 0 ] && ! loop=$(tsort <<<"$edges" 2>&1 >/dev/null); then
    echo "$folder has units that include each other in a loop:"
    grep -v "input contains a loop" <<<"$loop" | sed -E "s#^tsort: #  $folder/#" | awk '!seen[$0]++'
    status=1
fi
for pair in "${!known[@]}"; do
    echo "$folder/${pair%%:*} and $folder/${pair#*:} no longer include each other: leave them out of the known pairs"
    status=1
done
exit $status
