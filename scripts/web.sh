#!/usr/bin/env bash
# Builds the web page and serves it on http://127.0.0.1:8080/ (PORT changes the port)
# until stopped; prints the address.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh web >/dev/null
bash scripts/build-web.sh >/dev/null
exec node web/serve.mjs build/web "${PORT:-8080}"
