#!/usr/bin/env bash
# Remakes every file of assets/ from its generator, in a few minutes (the drums take the
# longest: each sound is fitted by bisection). Deterministic: the same files every run.
#
# The generators need, from Debian's archive, console-setup-linux for the 8 x 8 PC console font
# Uni2-VGA8 (the build and the tests do not need it); everything else they draw themselves,
# the big letters from our own strokes in assets/big_font.txt.
# Install it with: tools/install-deps.sh assets
. "$(dirname "$0")/../lib.sh"
cd tools/assets
python=/usr/bin/python3   # Debian's python: the generators need only its standard library
$python gen_tables.py
$python gen_texts.py
$python gen_sheets.py
$python gen_drums.py
echo "assets remade; see tools/contact-sheet.sh to look at them"
