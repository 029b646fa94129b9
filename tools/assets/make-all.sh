#!/usr/bin/env bash
# Remakes every file of assets/ from its generator, in a few minutes (the drums take the
# longest: each sound is fitted by bisection). Deterministic: the same files every run.
#
# The generators need, from Debian's archive (the build and the tests need none of them):
#   python3-pil          TrueType rendering (sheets, logos, banners)
#   fonts-dejavu-core    DejaVu Sans Bold and Sans Condensed Bold
#   console-setup-linux  the 8 x 8 PC console font Uni2-VGA8
# Install them with: tools/install-deps.sh assets
set -euo pipefail
cd "$(dirname "$0")"
python=/usr/bin/python3   # Debian's python, where python3-pil installs
$python gen_tables.py
$python gen_texts.py
$python gen_sheets.py
$python gen_drums.py
echo "assets remade; see tools/contact-sheet.sh to look at them"
