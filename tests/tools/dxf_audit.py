#!/usr/bin/python3
# Reads a DXF file as a CAD user's tools do (ezdxf: recover, audit, strict read)
# and prints, one line each: problems N ... texts T|T (\U+XXXX decoded), units
# ($INSUNITS), extents and drawn (the header's $EXTMIN/$EXTMAX and ezdxf's box of
# what is drawn, X0 Y0 X1 Y1), view (active viewport CX CY H W), text (largest
# text height), types (entities by type), font STYLE FAMILY yes|no,
# duplicates N, fonts measured|estimated, then per dimension "dim N TEXT TEXT'
# TICK TICK'" (block as written, then drawn anew from its style) and "header
# DIMTXT DIMASZ DIMTSZ". Exit status 1 when anything had to be fixed.
#   dxf_audit.py FILE | dxf_audit.py --glyphs FONT.lff FILE...
# With --glyphs: the characters of the files (texts, dimension texts, layer
# names) the LibreCAD stroke font has no glyph for, sorted, on one line.
import collections
import math
import re
import sys

import ezdxf
from ezdxf import bbox, recover


def glyphs(font, drawings):
    have = {chr(int(m.group(1), 16)) for m in re.finditer(r'^\[([0-9A-Fa-f]+)\]', open(font, encoding='utf-8').read(), re.M)}
    used = set()
    for path in drawings:
        doc, _ = recover.readfile(path)
        for layout in [doc.modelspace()] + list(doc.blocks):
            used |= {c for e in layout if e.dxftype() in ('TEXT', 'MTEXT', 'DIMENSION') and e.dxf.hasattr('text')
                     for c in e.dxf.text}
        used |= {c for layer in doc.layers for c in layer.dxf.name}
    print(''.join(sorted(c for c in used - have if not c.isspace())))
    return 0


def measure_fonts(doc):
    # ezdxf knows the metrics of its own fonts only and takes the em for the cap
    # height of any other; give it the cap height and descender of the real font.
    from ezdxf.tools import fonts
    from matplotlib.textpath import TextPath
    from matplotlib.font_manager import FontProperties, fontManager
    installed, done = {f.name for f in fontManager.ttflist}, False
    for style in doc.styles:
        face = fonts.get_font_face(style.dxf.font)
        print('font', style.dxf.name, face.family.replace(' ', '_'), 'yes' if face.family in installed else 'no')
        top = lambda c, f: f(TextPath((0, 0), c, size=1, prop=FontProperties(family=face.family)).vertices[:, 1])
        if top('H', max) > 0:
            fonts.font_measurement_cache[fonts.cache_key(style.dxf.font)] = fonts.FontMeasurements(
                baseline=0, cap_height=top('H', max), x_height=top('x', max), descender_height=-top('p', min))
            done = True
    return done


def text_height(block):
    return max([e.dxf.height for e in block.query('TEXT')] + [e.dxf.char_height for e in block.query('MTEXT')] + [0.0])


def tick(block):
    # The ticks: strokes at 45 degrees to the longest line; drawn anew, inserts of an arrow block.
    pieces = [list(e.virtual_entities()) if e.dxftype() == 'INSERT' else [e] for e in block]
    lines = [v for piece in pieces for v in piece if v.dxftype() == 'LINE']
    length = lambda e: (e.dxf.end - e.dxf.start).magnitude
    angle = lambda e: math.degrees(math.atan2(e.dxf.end.y - e.dxf.start.y, e.dxf.end.x - e.dxf.start.x)) % 180.0
    base = angle(max(lines, key=length)) if lines else 0
    return max([length(e) for e in lines if abs((angle(e) - base) % 90.0 - 45.0) < 1.0] + [0.0])


def main(path):
    doc, recovered = recover.readfile(path)
    audit = doc.audit()
    strict = ezdxf.readfile(path)
    msp, h = strict.modelspace(), strict.header
    texts = [re.sub(r'\\U\+([0-9A-Fa-f]{4})', lambda m: chr(int(m.group(1), 16)), e.dxf.text) for e in msp.query('TEXT')]
    found = list(recovered.errors) + list(recovered.fixes) + list(audit.errors) + list(audit.fixes)
    print('problems', len(found), 'entities', len(msp), 'texts', '|'.join(texts), *('\n   ' + e.message for e in found))
    print('units', h.get('$INSUNITS', 0))
    lo, hi = h.get('$EXTMIN', (0, 0, 0)), h.get('$EXTMAX', (0, 0, 0))
    print('extents %.10g %.10g %.10g %.10g' % (lo[0], lo[1], hi[0], hi[1]))
    vp = strict.viewports.get('*Active')
    vp = vp[0] if isinstance(vp, list) else vp
    print('view %.10g %.10g %.10g %.10g' % (vp.dxf.center[0], vp.dxf.center[1], vp.dxf.height, vp.dxf.height * vp.dxf.aspect_ratio))
    print('types', ' '.join('%s:%d' % kv for kv in sorted(collections.Counter(e.dxftype() for e in msp).items())))
    keys = [(e.dxftype(), tuple(sorted((k, str(v)) for k, v in e.dxfattribs().items() if k != 'handle'))) for e in msp]
    print('duplicates', len(keys) - len(set(keys)))
    print('text %.10g' % max([text_height(msp)] + [text_height(strict.blocks.get(d.dxf.geometry)) for d in msp.query('DIMENSION')]))
    try:
        measured = measure_fonts(strict)
    except ImportError:
        measured = False
        print('font ? ? unknown')
    box = bbox.extents(msp)
    print('drawn %.10g %.10g %.10g %.10g' % (box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y))
    print('fonts', 'measured' if measured else 'estimated')
    for n, dim in enumerate(msp.query('DIMENSION')):
        block = strict.blocks.get(dim.dxf.geometry)
        before = text_height(block), tick(block)
        dim.override().render()  # a new block from the style, as after an edit
        after = strict.blocks.get(dim.dxf.geometry)
        print('dim %d %.10g %.10g %.10g %.10g' % (n, before[0], text_height(after), before[1], tick(after)))
    print('header %.10g %.10g %.10g' % (h.get('$DIMTXT', 0), h.get('$DIMASZ', 0), h.get('$DIMTSZ', 0)))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(glyphs(sys.argv[2], sys.argv[3:]) if sys.argv[1] == '--glyphs' else main(sys.argv[1]))
