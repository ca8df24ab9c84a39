#!/usr/bin/env python3
"""Fails when a folder of src/ includes one on its own floor or above (so the
arrows between the folders point one way), and names it.
Usage: check_layout.py SOURCE_ROOT"""
import glob
import os
import re
import sys

# Bottom to top. A folder may include folders of lower floors only; folders
# on one floor do not include each other. resources/ holds ids and templates
# that every floor may include.
FLOORS = [
    ['common'],
    ['binding'],
    ['catalogue'],
    ['search', 'dragdrop'],  # what a query means; the drop target
    ['dialog'],
    ['plugin'],
]
SHARED = {'resources'}

src = os.path.join(sys.argv[1], 'src')
folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
floor_of = {folder: level for level, names in enumerate(FLOORS) for folder in names}
unplaced = [f for f in folders if f not in floor_of and f not in SHARED]
if unplaced:
    sys.exit('FAIL: folders of src/ on no floor of check_layout.py: ' + ', '.join(unplaced))

edges = {folder: set() for folder in folders}
for folder in folders:
    for path in glob.glob(os.path.join(src, folder, '*')):
        for target in re.findall(r'^\s*#\s*include\s+"(\w+)/', open(path, encoding='utf-8').read(), re.M):
            if target in edges and target != folder:
                edges[folder].add(target)

upward = ['%s -> %s' % (folder, target) for folder in folders for target in sorted(edges[folder])
          if target not in SHARED and folder not in SHARED and floor_of[target] >= floor_of[folder]]
if upward:
    sys.exit('FAIL: a folder of src/ includes one on its own floor or above: ' + '; '.join(upward))

for folder in folders:
    print('%s -> %s' % (folder, ', '.join(sorted(edges[folder])) or '(nothing)'))
