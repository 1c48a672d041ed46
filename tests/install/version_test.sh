#!/usr/bin/env bash
# version_agrees MERIDCTL SOURCE VERSION [MERIDD]: meridctl, meridd, the
# project and the newest release of the changelog name the same version.
set -euo pipefail
shown=$("$1" --version)
released=$(sed -n -E 's/^## \[([0-9]+\.[0-9]+\.[0-9]+)\].*/\1/p' "$2/CHANGELOG.md" | head -n 1)
[ "$shown" = "meridctl $3" ] || { echo "FAIL meridctl says '$shown', the project $3"; exit 1; }
if [ -n "${4:-}" ]; then
  served=$("$4" --version)
  [ "$served" = "meridd $3" ] || { echo "FAIL meridd says '$served', the project $3"; exit 1; }
fi
[ "$released" = "$3" ] || { echo "FAIL the changelog's newest release is '$released', the project $3"; exit 1; }
