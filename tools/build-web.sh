#!/usr/bin/env bash
# Builds the demo's web page from the same sources as the programs, with Debian's emscripten
# and its built-in SDL 1.2 (cmake/emscripten.cmake): build/web-demo/page/index.html, index.js
# and index.wasm. tools/serve-web.sh serves them. Installs what it needs first
# (tools/install-deps.sh web). Set KOVA_WEB_BUILD for another build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh web

out=${KOVA_WEB_BUILD:-build/web-demo}
# Debian's emscripten runs JavaScript tools that need Debian's node modules (acorn); a node from
# elsewhere does not look there on its own.
if ! node -e 'require("acorn")' 2>/dev/null; then
  export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
fi
cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/emscripten.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKOVA_WERROR=ON -DKOVA_TESTS=OFF -DKOVA_BENCH=OFF >/dev/null
cmake --build "$out" -j "${KOVA_JOBS:-$(nproc)}" --target demo-web-window
echo "built $out/page:"
ls -l "$out/page"
