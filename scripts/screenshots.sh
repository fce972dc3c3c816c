#!/usr/bin/env bash
# Refreshes the README's pictures in docs/ from the screenshots that the end-to-end tests took
# in the last `scripts/test.sh` run (build/win32/e2e/screenshots), scaled down.
#   scripts/screenshots.sh [--build DIR] [PICTURE...]
# --build takes the screenshots of another build folder (build/win64, say); naming pictures
# (update-dialog-de ...) refreshes only those.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win32
if [ "${1:-}" = --build ]; then
  build="$2"
  shift 2
fi
shots="$build/e2e/screenshots"

# test screenshot -> picture in docs/ [-> scale, 60% when not given]
pictures=(
  startup_with_calculator:main-window
  update_flow_later_firmware_question:firmware-question
  update_dialog_available_en:update-dialog-en
  update_dialog_available_zh:update-dialog-zh
  update_check_traditional_chinese:update-dialog-zh-hant
  update_dialog_available_de:update-dialog-de
  update_dialog_available_ja:update-dialog-ja
  installer_welcome_en:installer-en
  installer_welcome_zh:installer-zh
  screens_firmware_question_144dpi:firmware-question-144dpi:100%
)

if [ $# -gt 0 ]; then
  chosen=()
  for wanted in "$@"; do
    found=""
    for entry in "${pictures[@]}"; do
      IFS=: read -r _ picture _ <<<"$entry"
      [ "$picture" = "$wanted" ] && found="$entry"
    done
    [ -n "$found" ] || { echo "no such picture: $wanted" >&2; exit 2; }
    chosen+=("$found")
  done
  pictures=("${chosen[@]}")
fi

missing=0
for entry in "${pictures[@]}"; do
  [ -f "$shots/${entry%%:*}.png" ] || { echo "missing: $shots/${entry%%:*}.png" >&2; missing=1; }
done
[ "$missing" = 0 ] || { echo "Run scripts/test.sh first." >&2; exit 1; }

mkdir -p docs
for entry in "${pictures[@]}"; do
  IFS=: read -r shot picture scale <<<"$entry"
  convert "$shots/$shot.png" -resize "${scale:-60%}" -strip "docs/$picture.png"
  echo "docs/$picture.png"
done
