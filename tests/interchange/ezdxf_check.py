"""Reads DXF files written by Plandeck with ezdxf, the second reader.

Usage: ezdxf_check.py EXPECTED.json
EXPECTED maps each file to its entity counts by DXF name. Every file must load,
audit without errors or fixes, hold exactly those counts in model space, and
ezdxf's own extents of what it read (texts by their points) must be the header's.
"""
import json
import sys

import ezdxf
from ezdxf import bbox

failed = False
for path, counts in json.load(open(sys.argv[1])).items():
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    problems = [str(e.message) for e in auditor.errors] + [str(f.message) for f in auditor.fixes]
    found = {}
    for e in doc.modelspace():
        found[e.dxftype()] = found.get(e.dxftype(), 0) + 1
    if problems:
        print(f"{path}: audit: {problems[:5]}")
        failed = True
    if found != counts:
        print(f"{path}: entities {found}, written {counts}")
        failed = True
    lo, hi = doc.header["$EXTMIN"], doc.header["$EXTMAX"]
    box = bbox.extents(e for e in doc.modelspace() if e.dxftype() != "TEXT")
    # Texts count by the point they stand at (their glyphs are the reader's font).
    for t in doc.modelspace().query("TEXT"):
        aligned = t.dxf.get("halign", 0) or t.dxf.get("valign", 0)
        box.extend([t.dxf.align_point if aligned and t.dxf.hasattr("align_point") else t.dxf.insert])
    if box.has_data:
        # ezdxf boxes arcs by their curve approximation, a little outside the arc.
        tol = 1e-4 * max(1.0, abs(hi[0] - lo[0]), abs(hi[1] - lo[1]))
        if (abs(box.extmin.x - lo[0]) > tol or abs(box.extmin.y - lo[1]) > tol or
                abs(box.extmax.x - hi[0]) > tol or abs(box.extmax.y - hi[1]) > tol):
            print(f"{path}: ezdxf finds the extents {box.extmin}..{box.extmax}, the header says {lo}..{hi}")
            failed = True
    print(f"{path}: {sum(found.values())} entities, audit {'clean' if not problems else 'NOT clean'}")
sys.exit(1 if failed else 0)
