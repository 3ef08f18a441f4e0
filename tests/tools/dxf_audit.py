#!/usr/bin/python3
"""Reads a DXF file the way a CAD user's tools would (ezdxf: recover, audit,
strict read) and prints one line: the counts of errors and fixes, then the
texts of the model space with \\U+XXXX escapes decoded.

usage: dxf_audit.py FILE
exit status 0 when the file reads cleanly, 1 when anything had to be fixed."""
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
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
