#!/usr/bin/python3
"""Regenerates every dimension of a DXF file the way a CAD program does after
an edit (from its dimension style and the header's variables) and prints, one
line per dimension:
  dim N BLOCK_TEXT_HEIGHT REGENERATED_TEXT_HEIGHT BLOCK_TICK REGENERATED_TICK
the tick being the longest line of the block that is neither the dimension
line nor an extension line (0 when there is none).
Then one line with the header's variables:
  header DIMTXT DIMASZ DIMTSZ

usage: dxf_dimensions.py FILE"""
import math
import sys

import ezdxf


def text_height(block):
    for e in block:
        if e.dxftype() == 'TEXT':
            return e.dxf.height
        if e.dxftype() == 'MTEXT':
            return e.dxf.char_height
    return 0.0


def tick(block):
    # The ticks are the short oblique strokes: lines at 45 degrees to the others.
    # A regenerated dimension draws its ticks as inserts of an arrow block.
    lines = []
    for e in block:
        if e.dxftype() == 'LINE':
            lines.append(e)
        elif e.dxftype() == 'INSERT':
            lines.extend(v for v in e.virtual_entities() if v.dxftype() == 'LINE')
    if not lines:
        return 0.0
    def angle(e):
        s, t = e.dxf.start, e.dxf.end
        return math.degrees(math.atan2(t[1] - s[1], t[0] - s[0])) % 180.0
    def length(e):
        s, t = e.dxf.start, e.dxf.end
        return math.hypot(t[0] - s[0], t[1] - s[1])
    longest = max(lines, key=length)
    base = angle(longest)
    oblique = [length(e) for e in lines if abs((angle(e) - base) % 90.0 - 45.0) < 1.0]
    return max(oblique) if oblique else 0.0


def main():
    doc = ezdxf.readfile(sys.argv[1])
    for n, dim in enumerate(doc.modelspace().query('DIMENSION')):
        block = doc.blocks.get(dim.dxf.geometry)
        before_text, before_tick = text_height(block), tick(block)
        dim.override().render()  # a new block from the style, as after an edit
        after = doc.blocks.get(dim.dxf.geometry)
        print('dim %d %.10g %.10g %.10g %.10g' % (n, before_text, text_height(after), before_tick, tick(after)))
    h = doc.header
    print('header %.10g %.10g %.10g' % (h.get('$DIMTXT', 0), h.get('$DIMASZ', 0), h.get('$DIMTSZ', 0)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
