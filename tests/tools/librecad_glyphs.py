"""The characters of the given DXF files (texts, dimension texts, layer names)
that a LibreCAD stroke font (.lff) has no glyph for, sorted, on one line."""
import re
import sys

from ezdxf import recover

font, drawings = sys.argv[1], sys.argv[2:]
have = set()
with open(font, encoding="utf-8") as f:
    for line in f:
        m = re.match(r"\[([0-9A-Fa-f]+)\]", line)
        if m:
            have.add(chr(int(m.group(1), 16)))
used = set()
for path in drawings:
    doc, _ = recover.readfile(path)
    for layout in [doc.modelspace()] + list(doc.blocks):
        for e in layout:
            if e.dxftype() in ("TEXT", "MTEXT", "DIMENSION") and e.dxf.hasattr("text"):
                used |= set(e.dxf.text)
    for layer in doc.layers:
        used |= set(layer.dxf.name)
print("".join(sorted(c for c in used - have if not c.isspace())))
