#!/usr/bin/env bash
# Builds the web page (tools/build-web.sh; quick when nothing changed) and serves it on
# http://127.0.0.1:PORT/ for a browser on this machine:  tools/serve-web.sh [PORT]  (8000).
# Ctrl-C stops the server.
. "$(dirname "$0")/lib.sh"
port=${1:-8000}
tools/build-web.sh
page=$(tree web)/page
echo "serving $page: open http://127.0.0.1:$port/ (Ctrl-C stops)"
exec python3 -m http.server --bind 127.0.0.1 --directory "$page" "$port"
