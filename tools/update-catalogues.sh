#!/usr/bin/env bash
# Brings the two catalogues up to date with the sources: lupdate over every folder of the
# programs (not the tests, benchmarks or tools), without source locations, dropping texts that
# are gone. Given a folder, it works on copies of the catalogues there instead (the CI check).
#   tools/update-catalogues.sh [FOLDER]        LUPDATE=/path/to/lupdate picks the lupdate
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/language}
lupdate=${LUPDATE:-lupdate}
if [ "$(cd "$out" 2>/dev/null && pwd)" != "$root/language" ]; then
    mkdir -p "$out"
    cp "$root"/language/lang_Chinese.ts "$root"/language/lang_English.ts "$out"/
fi
sources=()
for dir in "$root"/*/; do
    case "$(basename "$dir")" in
    tests | bench | tools | docs | language | packaging | resources | build*) continue ;;
    esac
    sources+=("$dir")
done
# -I lets lupdate resolve includes written from the root, so Texts::tr("...") lands in the
# context its class declares.
"$lupdate" -locations none -no-obsolete -I "$root" "${sources[@]}" \
    -ts "$out"/lang_Chinese.ts "$out"/lang_English.ts
