#!/bin/sh
# The core's layers, lowest first; a file may include headers of its own
# layer and of the layers below it, never of one above.
set -u
cd "$(dirname "$0")/.."
layers="platform model pictures gallery publish"
rank() {
    i=0
    for layer in $layers; do
        [ "$layer" = "$1" ] && { echo $i; return; }
        i=$((i + 1))
    done
    echo -1
}
status=0
for layer in $layers; do
    own=$(rank "$layer")
    for file in "$layer"/*.h "$layer"/*.cpp; do
        [ -e "$file" ] || continue
        for included in $(sed -n 's/^#include "\([a-z_]*\)\/.*"/\1/p' "$file"); do
            other=$(rank "$included")
            if [ "$other" -gt "$own" ]; then
                echo "$file includes a header of $included, a layer above $layer"
                status=1
            fi
        done
    done
done
[ $status -eq 0 ] && echo "layers: $layers, each including only itself and those below"
exit $status
