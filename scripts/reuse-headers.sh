#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Puts the copyright and license header on every tracked file that can hold one and has none
# yet; files that cannot (images, the fuzz corpus, the documents) are covered by .reuse/dep5.
# Files that carry a header are left alone, so run it again whenever new files come in, then
# check with `reuse lint`.
set -euo pipefail
cd "$(dirname "$0")/.."

annotate=(reuse annotate --copyright "The Ostrel developers" --year 2026 --skip-existing)
gpl=("${annotate[@]}" --license GPL-3.0-or-later)

git ls-files -z -- '*.cpp' '*.h' '*.sh' '*.py' '*.cmake' '*CMakeLists.txt' .gitignore |
    xargs -0r "${gpl[@]}"
# These have no extension reuse knows; all of them take # comments.
git ls-files -z -- .ci/run .clang-format '*.desktop' | xargs -0r "${gpl[@]}" --style python
# AppStream asks for metadata under a permissive license; the file says CC0-1.0 itself.
git ls-files -z -- '*.metainfo.xml' | xargs -0r "${annotate[@]}" --license CC0-1.0
