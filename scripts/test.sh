#!/usr/bin/env bash
# Builds and runs every test leg, then prints how long each took. A failing leg
# does not stop the others; the command fails if any leg failed.
set -uo pipefail
cd "$(dirname "$0")/.."

# name and command of each leg, in the order they run
legs=(
  "ci|scripts/legs/suite.sh ci"
  "sanitize|scripts/legs/suite.sh sanitize"
  "display|scripts/legs/display.sh"
  "windows|scripts/legs/windows.sh"
  "fuzz|scripts/legs/fuzz.sh"
)

summary=()
failed=0
passed_count=0
failed_count=0
for leg in "${legs[@]}"; do
  name="${leg%%|*}"
  command="${leg#*|}"
  echo "=== leg $name: $command"
  start=$SECONDS
  if $command; then
    result=passed; passed_count=$((passed_count + 1))
  else
    result=FAILED; failed=1; failed_count=$((failed_count + 1))
  fi
  summary+=("$(printf '%-10s %-7s %5d s' "$name" "$result" $((SECONDS - start)))")
done

echo "=== legs"
printf '%s\n' "${summary[@]}"
echo "legs: $passed_count passed, $failed_count failed"
exit $failed
