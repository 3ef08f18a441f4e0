#!/usr/bin/python3
"""Measures what a DXF file draws the way a CAD reader does and prints:
  drawn X0 Y0 X1 Y1      ezdxf's bounding box of the model space entities
  header X0 Y0 X1 Y1     the header's $EXTMIN and $EXTMAX
  text H                 the largest text height drawn (dimension blocks too)
  fonts measured|estimated

A text height in a DXF is the height of the capitals. ezdxf knows the metrics
of the fonts it ships only; for any other font it takes the height for the em
and so draws text a third narrower than a CAD program does. Where matplotlib
can read the text style's font, its cap height and descender are measured from
the glyphs and given to ezdxf, so that texts are measured by the font they are
drawn in.

usage: dxf_extents.py FILE"""
import sys

import ezdxf
from ezdxf import bbox


def register_font_metrics(doc):
    try:
        from ezdxf.tools import fonts
        from matplotlib.textpath import TextPath
        from matplotlib.font_manager import FontProperties
    except ImportError:
        return False
    done = False
    for style in doc.styles:
        face = fonts.get_font_face(style.dxf.font)
        if face is None:
            continue
        prop = FontProperties(family=face.family)
        cap = TextPath((0, 0), 'H', size=1, prop=prop).vertices[:, 1].max()
        x = TextPath((0, 0), 'x', size=1, prop=prop).vertices[:, 1].max()
        desc = -TextPath((0, 0), 'p', size=1, prop=prop).vertices[:, 1].min()
        if cap > 0:
            fonts.font_measurement_cache[fonts.cache_key(style.dxf.font)] = fonts.FontMeasurements(
                baseline=0, cap_height=cap, x_height=x, descender_height=desc)
            done = True
    return done


def main():
    doc = ezdxf.readfile(sys.argv[1])
    measured = register_font_metrics(doc)
    msp = doc.modelspace()
    box = bbox.extents(msp)
    h = doc.header
    lo, hi = h.get('$EXTMIN', (0, 0, 0)), h.get('$EXTMAX', (0, 0, 0))
    height = max([e.dxf.height for e in msp.query('TEXT')] + [0.0])
    for dim in msp.query('DIMENSION'):
        block = doc.blocks.get(dim.dxf.geometry)
        height = max([e.dxf.height for e in block.query('TEXT')] + [height])
    print('drawn %.10g %.10g %.10g %.10g' % (box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y))
    print('header %.10g %.10g %.10g %.10g' % (lo[0], lo[1], hi[0], hi[1]))
    print('text %.10g' % height)
    print('fonts', 'measured' if measured else 'estimated')
    return 0


if __name__ == '__main__':
    sys.exit(main())
