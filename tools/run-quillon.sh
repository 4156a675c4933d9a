#!/usr/bin/env bash
# Installs what is missing, builds, and starts quillon on the per-user store.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --workflow --preset host >/dev/null
exec build/host/quillon "$@"
