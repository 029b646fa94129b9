#!/usr/bin/env bash
# Renders every compiled-in picture, logo, the bar colours and the percussion waveforms onto
# one PNG (each glyph range of the texture palette labelled), and the fourteen percussion
# sounds into one WAV. Needs only python3. Usage: tools/contact-sheet.sh [OUTDIR]
# (default build/contact-sheet).
. "$(dirname "$0")/lib.sh"
exec python3 tools/assets/contact_sheet.py "${1:-build/contact-sheet}"
