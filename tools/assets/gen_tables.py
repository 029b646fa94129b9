#!/usr/bin/python3
"""Writes assets/bar_colours.txt: the 96 colours of the text pages' bars, a rainbow of six
ramps of 16 in which one channel moves by 0x10 per entry between 0x00 and 0xF0.
Standard library only."""
from common import asset

# (red, green, blue) of entry k of each ramp; "up" is 0x10 k, "down" is 0xF0 - 0x10 k.
RAMPS = [("red to yellow", ("F0", "up", "00")),
         ("yellow to green", ("down", "F0", "00")),
         ("green to cyan", ("00", "F0", "up")),
         ("cyan to white", ("up", "F0", "F0")),
         ("white to magenta", ("F0", "down", "F0")),
         ("magenta to red", ("F0", "00", "down"))]


def channel(rule, k):
    return {"up": 0x10 * k, "down": 0xF0 - 0x10 * k}.get(rule, None) if rule in ("up", "down") \
        else int(rule, 16)


def main():
    lines = ["# Colour bars of the text pages: 96 entries 0xRRGGBB, six ramps of 16.",
             "# Made by tools/assets/gen_tables.py; the embedding accepts '#' comments."]
    for name, rules in RAMPS:
        lines.append(f"# {name}")
        for k in range(16):
            r, g, b = (channel(rule, k) for rule in rules)
            lines.append(f"0x{r:02X}{g:02X}{b:02X}")
    with open(asset("bar_colours.txt"), "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
