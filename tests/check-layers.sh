#!/usr/bin/env bash
# Checks that the folders point one way.
#
#   check-layers.sh SOURCE_DIR              checks the tree at SOURCE_DIR
#   check-layers.sh --self-test SOURCE_DIR  plants bad includes in copies of
#                                           that tree and expects each to fail
#
# It fails, naming the file and the include, when
#  1. a logic file outside app/ includes a header of app/ (a logic file is any
#     source of a code folder that its CMakeLists.txt does not put in
#     pairsight_gui: the logic library and the programs built on it alone),
#     or any file of platform/ does;
#  2. the folders' includes form a cycle: a folder includes a folder that,
#     directly or through others, includes it back.
# The code folders are those the top CMakeLists.txt adds, tests/ and fuzz/
# aside: both sit on top of everything.
# Plain bash, grep and awk, so it runs wherever the build does.
set -euo pipefail
# Byte-wise ranges and matching, whatever the caller's locale.
export LC_ALL=C

usage() {
    echo "usage: $0 [--self-test] SOURCE_DIR" >&2
    exit 2
}

# The code folders of the tree at $1, one a line.
code_folders() {
    sed -n 's/^[[:space:]]*add_subdirectory([[:space:]]*\([A-Za-z0-9_]*\)[[:space:]]*).*/\1/p' \
        "$1/CMakeLists.txt" | grep -vx -e tests -e fuzz || true
}

# The file names that $1 (a folder's CMakeLists.txt) puts in pairsight_gui.
widget_sources() {
    [ -f "$1" ] || return 0
    awk '
        { sub(/#.*/, ""); text = text " " $0 }
        END {
            while (match(text, /target_sources[[:space:]]*\([[:space:]]*pairsight_gui[^)]*\)/)) {
                block = substr(text, RSTART, RLENGTH)
                text = substr(text, RSTART + RLENGTH)
                sub(/^target_sources[[:space:]]*\([[:space:]]*pairsight_gui/, "", block)
                sub(/\)$/, "", block)
                n = split(block, words, /[[:space:]]+/)
                for (i = 1; i <= n; ++i)
                    if (words[i] != "" && words[i] !~ /^(PRIVATE|PUBLIC|INTERFACE)$/ && words[i] !~ /[$\/]/)
                        print words[i]
            }
        }' "$1"
}

# Checks the tree at $1; prints each fault and returns 1 when there is one.
check_tree() {
    local root=$1
    local folders
    folders=$(code_folders "$root")
    if [ -z "$folders" ]; then
        echo "check-layers: no code folders found in $root/CMakeLists.txt" >&2
        return 1
    fi

    # One line per folder include: "kind from-folder file included-path",
    # kind being "logic" or "widget".
    local includes=""
    local folder file name kind
    for folder in $folders; do
        [ -d "$root/$folder" ] || continue
        local widgets
        widgets=$(widget_sources "$root/$folder/CMakeLists.txt")
        while IFS= read -r file; do
            name=${file#"$root/$folder/"}
            kind=logic
            if [ "$folder" = app ] || grep -qxF -- "$name" <<<"$widgets"; then
                kind=widget
            fi
            includes+=$(sed -n "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]\\([^\">]*/[^\">]*\\)[\">].*|$kind $folder $folder/$name \\1|p" "$file")
            includes+=$'\n'
        done < <(find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) | sort)
    done

    awk -v folders="$folders" '
        BEGIN {
            n = split(folders, list, /[[:space:]]+/)
            for (i = 1; i <= n; ++i)
                if (list[i] != "")
                    isFolder[list[i]] = 1
            faults = 0
        }
        NF == 4 {
            kind = $1; from = $2; file = $3; included = $4
            to = included
            sub(/\/.*/, "", to)
            if (!(to in isFolder))
                next
            if (to == "app" && ((kind == "logic" && from != "app") || from == "platform")) {
                print file ": " (from == "platform" ? "platform" : "logic") " file includes " included \
                    " (nothing below app/ may include app/)"
                ++faults
            }
            if (to == from)
                next
            key = from SUBSEP to
            if (!(key in edge)) {
                edge[key] = 1
                targets[from] = targets[from] " " to
            }
            witness[key] = witness[key] "    " file " includes " included "\n"
        }
        # Depth-first search; state 1 while on the path, 2 when done.
        function visit(folder, depth,    m, next_, j, k, cycle) {
            state[folder] = 1
            path[depth] = folder
            m = split(targets[folder], next_, " ")
            for (j = 1; j <= m; ++j) {
                if (next_[j] == "")
                    continue
                if (state[next_[j]] == 1) {
                    for (k = depth; path[k] != next_[j]; --k)
                        ;
                    cycle = ""
                    for (; k <= depth; ++k)
                        cycle = cycle path[k] " -> "
                    print "folder include cycle: " cycle next_[j]
                    for (k = depth; path[k] != next_[j]; --k)
                        ;
                    for (; k <= depth; ++k)
                        printf "%s", witness[path[k], (k < depth ? path[k + 1] : next_[j])]
                    ++faults
                } else if (state[next_[j]] == 0) {
                    visit(next_[j], depth + 1)
                }
            }
            state[folder] = 2
        }
        END {
            for (i = 1; i <= n; ++i)
                if (list[i] != "" && state[list[i]] == 0)
                    visit(list[i], 1)
            exit faults > 0
        }' <<<"$includes"
}

# Copies the top CMakeLists.txt and the code folders of $1 to $2.
copy_tree() {
    local from=$1 to=$2 folder
    cp "$from/CMakeLists.txt" "$to/"
    for folder in $(code_folders "$from"); do
        [ -d "$from/$folder" ] || continue
        cp -R "$from/$folder" "$to/"
    done
}

# Plants "line" at the top of "file" in a fresh copy and expects the check to
# fail with each of the expected texts in its report.
expect_fault() { # description, file, line, expected texts...
    local description=$1 file=$2 line=$3
    shift 3
    local copy report text
    copy=$(mktemp -d)
    copy_tree "$source_dir" "$copy"
    mkdir -p "$(dirname "$copy/$file")"
    { printf '%s\n' "$line"; cat "$copy/$file" 2>/dev/null || true; } >"$copy/$file.planted"
    mv "$copy/$file.planted" "$copy/$file"
    if report=$(check_tree "$copy" 2>&1); then
        echo "FAIL: $description: the check passed"
        failures=$((failures + 1))
    else
        for text in "$@"; do
            if ! grep -qF -- "$text" <<<"$report"; then
                echo "FAIL: $description: the report does not say \"$text\":"
                echo "$report"
                failures=$((failures + 1))
            fi
        done
    fi
    rm -rf "$copy"
}

self_test() {
    failures=0
    local copy
    copy=$(mktemp -d)
    copy_tree "$source_dir" "$copy"
    if ! check_tree "$copy"; then
        echo "FAIL: the unchanged copy does not pass"
        failures=$((failures + 1))
    fi
    rm -rf "$copy"

    expect_fault "a logic file includes app/" lists/linelist.cpp '#include "app/appform.h"' \
        'lists/linelist.cpp: logic file includes app/appform.h'
    expect_fault "a header no CMakeLists names includes app/" online/newpiece.h '#include "app/settings.h"' \
        'online/newpiece.h: logic file includes app/settings.h'
    expect_fault "a platform file includes app/" platform/apperror.cpp '#include <app/settings.h>' \
        'platform/apperror.cpp: platform file includes app/settings.h'
    expect_fault "a window below app/ includes app/" about/about.cpp '#include "app/appform.h"' \
        'folder include cycle: ' 'about/about.cpp includes app/appform.h'
    expect_fault "two folders include each other" widgets/dialogs.cpp '#include "i18n/messagedialog.h"' \
        'folder include cycle: ' 'widgets/dialogs.cpp includes i18n/messagedialog.h'
    expect_fault "a folder low down includes one high up" lists/linelist.h '  #  include "online/check.h"' \
        'folder include cycle: ' 'lists/linelist.h includes online/check.h'

    if [ "$failures" -ne 0 ]; then
        echo "self-test: $failures failure(s)"
        return 1
    fi
    echo "self-test: every planted fault was caught"
}

mode=check
if [ "${1:-}" = --self-test ]; then
    mode=self-test
    shift
fi
[ $# -eq 1 ] || usage
source_dir=$(cd "$1" && pwd)

if [ "$mode" = self-test ]; then
    self_test
else
    check_tree "$source_dir"
fi
