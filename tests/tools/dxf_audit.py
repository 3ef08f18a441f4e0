#!/usr/bin/python3
"""Reads a DXF file the way a CAD user's tools would (ezdxf: recover, audit,
strict read) and prints one line: the counts of errors and fixes, then the
texts of the model space with \\U+XXXX escapes decoded. Then one line each:
  units N            $INSUNITS
  extents X0 Y0 X1 Y1
  view CX CY H W     the active viewport's centre, height and width
  types T:n ...      model-space entities by type
  layers L:n ...     model-space entities by layer
  font STYLE FAMILY yes|no   each text style's font family as ezdxf resolves
                     it, and whether an installed font has that family
  duplicates N       entities identical to an earlier one

usage: dxf_audit.py FILE
exit status 0 when the file reads cleanly, 1 when anything had to be fixed."""
import collections
import re
import sys

import ezdxf
from ezdxf import recover


def decode(text):
    return re.sub(r'\\U\+([0-9A-Fa-f]{4})', lambda m: chr(int(m.group(1), 16)), text)


def main():
    path = sys.argv[1]
    doc, recovered = recover.readfile(path)
    audit = doc.audit()
    strict = ezdxf.readfile(path)
    texts = [decode(e.dxf.text) for e in strict.modelspace().query('TEXT')]
    problems = len(recovered.errors) + len(recovered.fixes) + len(audit.errors) + len(audit.fixes)
    print('problems', problems, 'entities', len(strict.modelspace()), 'texts', '|'.join(texts))
    for entry in list(recovered.errors) + list(recovered.fixes) + list(audit.errors) + list(audit.fixes):
        print('  ', entry.message)
    msp = strict.modelspace()
    print('units', strict.header.get('$INSUNITS', 0))
    lo, hi = strict.header.get('$EXTMIN', (0, 0, 0)), strict.header.get('$EXTMAX', (0, 0, 0))
    print('extents %.6g %.6g %.6g %.6g' % (lo[0], lo[1], hi[0], hi[1]))
    vp = strict.viewports.get('*Active')
    vp = vp[0] if isinstance(vp, list) else vp
    print('view %.6g %.6g %.6g %.6g' % (vp.dxf.center[0], vp.dxf.center[1], vp.dxf.height,
                                        vp.dxf.height * vp.dxf.aspect_ratio))
    count = lambda key: ' '.join('%s:%d' % kv for kv in sorted(collections.Counter(key(e) for e in msp).items()))
    print('types', count(lambda e: e.dxftype()))
    print('layers', count(lambda e: e.dxf.layer))
    try:
        from ezdxf.tools import fonts
        import matplotlib.font_manager as fm
        installed = {f.name for f in fm.fontManager.ttflist}
        for style in strict.styles:
            family = fonts.get_font_face(style.dxf.font).family
            print('font', style.dxf.name, family.replace(' ', '_'), 'yes' if family in installed else 'no')
    except ImportError:
        print('font ? ? unknown')
    seen, duplicates = set(), 0
    for e in msp:
        key = (e.dxftype(), tuple(sorted((k, str(v)) for k, v in e.dxfattribs().items() if k != 'handle')))
        duplicates += key in seen
        seen.add(key)
    print('duplicates', duplicates)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
