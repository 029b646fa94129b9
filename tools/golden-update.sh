#!/usr/bin/env bash
# Remakes tests/golden/frames.txt after an intended change of the pictures: builds kova-record
# (tools/build-recorder.sh), records the golden frames again and prints which of them changed.
# Look at the changes, then commit the table with the change of art.
. "$(dirname "$0")/lib.sh"
recorder=$(tools/build-recorder.sh)
exec python3 tests/golden/golden.py update "$recorder"
