#!/bin/bash
# Reports every #include "<folder>/..." of a library folder that points at a folder the library
# may not use: the libraries form a one-way stack, and each may reach only the folders below it.
# Usage: layering.sh <source folder>. Exit status 1 when anything points the wrong way.
set -euo pipefail
cd "${1:?usage: layering.sh <source folder>}"

declare -A below=(
    [core]=""
    [userdb]="core"
    [catalogue]="userdb core"
    [widgets]="catalogue userdb core"
    [browser]="widgets catalogue userdb core"
    [net]="browser widgets catalogue userdb core"
    [diary]="net browser widgets catalogue userdb core"
    [profile]="widgets catalogue userdb core"
    [reports]="widgets catalogue userdb core"
    [app]="diary net browser profile reports widgets catalogue userdb core"
)

status=0
for folder in "${!below[@]}"; do
    [ -d "$folder" ] || continue
    allowed=" $folder ${below[$folder]} "
    while IFS=: read -r file line target; do
        if [ -n "${below[$target]+known}" ] && [[ "$allowed" != *" $target "* ]]; then
            echo "$file:$line: $folder may not include $target/ (it sits above or beside $folder)"
            status=1
        fi
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$folder" \
                 --include='*.h' --include='*.cpp' \
             | sed -E 's/^([^:]+):([0-9]+):.*"([a-z]+)\/$/\1:\2:\3/')
done
exit $status
