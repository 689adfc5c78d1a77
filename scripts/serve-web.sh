#!/usr/bin/env bash
# Builds the web version of Qel and serves it on this machine: open the address it prints in a
# browser (on a phone on the same network, use this machine's address with QEL_WEB_BIND=0.0.0.0).
# QEL_WEB_PORT chooses the port (8080). Stop it with Ctrl+C. Each file that has a compressed copy
# beside it (NAME.gz, made with the site) is sent as that copy to a browser that takes gzip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-web.sh
port="${QEL_WEB_PORT:-8080}"
bind="${QEL_WEB_BIND:-127.0.0.1}"
echo "Qel is served at http://localhost:$port/ (Ctrl+C stops it)"
exec python3 web/serve_web.py build/web "$port" --bind "$bind"
