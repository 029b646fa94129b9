#!/usr/bin/env bash
# The web page in headless chromium against kova-record's frames:  e2e_web.sh RECORDER
# Builds the page first (tools/build-web.sh, installing nothing), then runs e2e_web.mjs with the
# browser driver that tools/install-deps.sh keeps in build/web-node; skipped (77) without it.
. "$(dirname "$0")/../../tools/lib.sh"
[ $# -eq 1 ] || { echo "usage: tests/e2e/e2e_web.sh RECORDER" >&2; exit 2; }
modules=$(tree web-node)/node_modules
if [ ! -d "$modules/playwright-core" ]; then
  echo "SKIP: no browser driver in $modules (tools/install-deps.sh test)"
  exit 77
fi
tools/build-web.sh --no-install >&2
exec node tests/e2e/e2e_web.mjs "$(tree web)/page" "$1" "$modules"
