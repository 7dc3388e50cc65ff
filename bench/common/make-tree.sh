# Shared by the benchmark scripts: generates trees of empty files to pack.
# shellcheck shell=bash

# make_tree FOLDER COUNT NESTED: COUNT empty files, 10 per folder three levels deep when
# NESTED is 1, all in one folder otherwise.
make_tree() {
    local folder="$1" count="$2" nested="$3"
    mkdir -p "$folder"
    (
        cd "$folder"
        if [[ "$nested" == 1 ]]; then
            seq 0 $((count / 10 - 1)) |
                awk '{ printf "d%d/d%d/d%d\n", int($1 / 1000), int($1 / 10) % 100, $1 % 10 }' |
                xargs mkdir -p
            seq 0 $((count - 1)) |
                awk '{ f = int($1 / 10); printf "d%d/d%d/d%d/f%d.txt\n", int(f / 1000), int(f / 10) % 100, f % 10, $1 }' |
                xargs touch
        else
            seq 0 $((count - 1)) | awk '{ printf "f%d.txt\n", $1 }' | xargs touch
        fi
    )
}

