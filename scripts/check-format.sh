#!/usr/bin/env bash
# Fails, naming them, when tracked C++ files differ from what clang-format-14
# makes of them with the tree's .clang-format. Changes nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
formatter=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$formatter" >/dev/null 2>&1; then
  echo "check-format: $formatter not found (scripts/setup.sh installs it)" >&2
  exit 2
fi
unformatted=()
while IFS= read -r -d '' file; do
  if ! "$formatter" --dry-run -Werror --style=file "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "check-format: ${#unformatted[@]} file(s) not formatted:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check-format: all files formatted"
