#!/usr/bin/env python3
"""Fails when the include graph between the folders of src/ has a cycle, and
names it. Usage: check_layout.py SOURCE_ROOT"""
import glob
import os
import re
import sys

src = os.path.join(sys.argv[1], 'src')
folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
edges = {folder: set() for folder in folders}
for folder in folders:
    for path in glob.glob(os.path.join(src, folder, '*')):
        for target in re.findall(r'^\s*#\s*include\s+"(\w+)/', open(path, encoding='utf-8').read(), re.M):
            if target in edges and target != folder:
                edges[folder].add(target)

state, stack = {}, []


def visit(folder):
    state[folder] = 'open'
    stack.append(folder)
    for target in sorted(edges[folder]):
        if state.get(target) == 'open':
            cycle = stack[stack.index(target):] + [target]
            sys.exit('FAIL: the folders of src/ include each other: ' + ' -> '.join(cycle))
        if target not in state:
            visit(target)
    stack.pop()
    state[folder] = 'done'


for folder in folders:
    if folder not in state:
        visit(folder)
for folder in folders:
    print('%s -> %s' % (folder, ', '.join(sorted(edges[folder])) or '(nothing)'))
