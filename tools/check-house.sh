#!/usr/bin/env bash
# Keeps the house as built (docs/architecture.md): fails on a room (a .cpp with its .h, or a
# header alone) of the programs or the simulator over 500 lines, and on an include from a folder
# to one it may not use. Prints every finding; exit 1 when there is one. Run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=500
# The folders each folder may include besides itself (includes are written from the root).
declare -A may=(
    [protocol]="" [events]="protocol" [alarms]="events protocol"
    [supervision]="protocol" [link]="" [preference]="" [common]="preference"
    [history]="events protocol" [plant]="alarms events protocol"
    [service]="history plant alarms events protocol preference"
    [ui]="service history plant alarms events supervision link protocol preference common"
    [fleet]="plant events common preference" [app]="ui service common preference"
    [tools]="history events protocol"
)
found=0
say() {
    echo "check-house: $*" >&2
    found=1
}
# The programs' sources: every tracked C++ file outside tests/ and bench/.
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v -E '^(tests|bench)/')
for f in "${sources[@]}"; do
    top=${f%%/*}
    [[ -v may[$top] ]] || say "$f: the folder $top/ has no row in the rules of this script"
    # Rooms: a .cpp counts with its .h; a header counts alone when it has no .cpp.
    base=${f%.*}
    if [[ $f == *.cpp || ! -f $base.cpp ]]; then
        lines=$(cat "$f" $([[ $f == *.cpp && -f $base.h ]] && echo "$base.h") | wc -l)
        ((lines <= limit)) || say "$base: $lines lines with its header (at most $limit)"
    fi
    while IFS= read -r dir; do
        [[ $dir == "$top" || " ${may[$top]:-} " == *" $dir "* ]] ||
            say "$f includes $dir/, which $top/ may not use"
    done < <(sed -n -E 's@^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z_]+)/.*@\1@p' "$f")
done
exit $found
