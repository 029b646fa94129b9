#!/usr/bin/env bash
# Builds kova-record in the g++ build (build/gcc, configured through its preset when it does not
# exist yet) and prints its path. Build messages go to standard error, so scripts can write
# rec=$(tools/build-recorder.sh).
. "$(dirname "$0")/lib.sh"
[ -f "$(tree gcc)/CMakeCache.txt" ] || configure gcc
build gcc kova-record
echo "$(tree gcc)/tools/record/kova-record"
