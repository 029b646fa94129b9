#!/usr/bin/env bash
# Builds the demo's web page from the same sources as the programs, with Debian's emscripten
# and its built-in SDL 1.2 (the web preset, cmake/emscripten.cmake): build/web/page/index.html,
# index.js and index.wasm. tools/serve-web.sh serves them. Installs what it needs first
# (tools/install-deps.sh web) unless given --no-install (the end-to-end test's call).
#   tools/build-web.sh [--no-install]
. "$(dirname "$0")/lib.sh"
case "${1:-}" in
  --no-install) ;;
  "") need web ;;
  *) echo "usage: tools/build-web.sh [--no-install]" >&2; exit 2 ;;
esac

# Debian's emscripten runs JavaScript tools that need Debian's node modules (acorn); a node from
# elsewhere does not look there on its own.
if ! node -e 'require("acorn")' 2>/dev/null; then
  export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
fi
configure web
build web demo-web-window
echo "built $(tree web)/page:"
ls -l "$(tree web)/page"
