#!/usr/bin/env bash
# Remakes tests/golden/frames.txt after an intended change of the pictures: builds kova-record
# (tools/build-recorder.sh: build/gcc, or the build tree named by KOVA_BUILD), records the
# golden frames again and prints which of them changed. Look at the changes, then commit the
# table with the change of art.
set -euo pipefail
cd "$(dirname "$0")/.."
recorder=$(tools/build-recorder.sh)
exec python3 tests/golden/golden.py update "$recorder"
