#!/bin/sh
# Runs the player's browser tests: installs the npm packages from the
# committed lock file when they are missing, then Node's test runner.
set -e
cd "$(dirname "$0")"
if [ ! -d node_modules/playwright-core ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    npm ci --no-audit --no-fund --loglevel=error
fi
exec node --test --test-concurrency=1
