#!/usr/bin/env python3
"""The settings table's one source, docs/settings-table.txt, and what is made
from it: the table section of README.md (English), the table section of
docs/README.ja.md (Japanese) and the sample Tarnwick.ini of the release
package (both languages; package_texts.py writes it).

Usage: settings_table.py --write   rewrites the two table sections
       settings_table.py --check   fails when either is not up to date"""
import os
import re
import sys
import textwrap

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, 'docs', 'settings-table.txt')
BEGIN = ('<!-- The settings table: made from docs/settings-table.txt by scripts/settings_table.py --write;'
         ' edit it there. -->')
END = '<!-- End of the settings table. -->'
HEADER = {
    'en': ['| Section | Key | Default | Meaning |', '|---|---|---|---|'],
    'ja': ['| セクション | キー | 既定値 | 意味 |', '|---|---|---|---|'],
}
TARGETS = {'en': os.path.join(ROOT, 'README.md'), 'ja': os.path.join(ROOT, 'docs', 'README.ja.md')}
FIELDS = ('default', 'en', 'ja', 'shown', 'shown-ja', 'default-ja')


def read_rows(path=SOURCE):
    """Dicts with section, key and the fields of each block, in file order."""
    rows = []
    with open(path, encoding='utf-8') as f:
        text = f.read()
    for number, block in enumerate(re.split(r'\n\s*\n', text)):
        lines = [line for line in block.strip().split('\n') if line and not line.startswith('#')]
        if not lines:
            continue
        head = re.fullmatch(r'\[(\w+)\] (\w+)', lines[0])
        if not head:
            sys.exit('settings_table: block %d does not begin with "[Section] Key": %r' % (number, lines[0]))
        row = {'section': head.group(1), 'key': head.group(2)}
        for line in lines[1:]:
            name, sep, value = line.partition(': ')
            if not sep or name not in FIELDS or name in row:
                sys.exit('settings_table: [%s] %s: unknown or repeated line %r' % (row['section'], row['key'], line))
            row[name] = value.strip()
        for name in ('default', 'en', 'ja'):
            if not row.get(name):
                sys.exit('settings_table: [%s] %s has no "%s:" line' % (row['section'], row['key'], name))
        rows.append(row)
    return rows


def table_lines(rows, language):
    lines = list(HEADER[language])
    for row in rows:
        suffix = '' if language == 'en' else '-ja'
        shown = row.get('shown' + suffix) or row.get('shown') or '`%s`' % row['key']
        default = row.get('default' + suffix) or row['default']
        lines.append('| [%s] | %s | %s | %s |' % (row['section'], shown, default, row[language]))
    return lines


def with_table(text, rows, language, path):
    if BEGIN not in text or END not in text:
        sys.exit('settings_table: %s has no settings table markers' % path)
    before, rest = text.split(BEGIN, 1)
    _, after = rest.split(END, 1)
    return before + BEGIN + '\n' + '\n'.join(table_lines(rows, language)) + '\n' + END + after


def ini_default(row):
    default = row['default'].strip('`')
    return '' if default == 'empty' else default


NO_LINE_START = set('。、，．）」』】〕')


def wrap_japanese(text, width):
    """Lines of at most width bytes in CP932 (a double-byte character is two):
    a line may break between any two Japanese characters or at a space, never
    inside a run of Latin letters and digits, nor before a closing mark."""
    atoms = re.findall(r' +|[\x21-\x7e]+|.', text)
    lines, line = [], ''
    for atom in atoms:
        candidate = line + atom
        if len(candidate.rstrip().encode('cp932')) <= width or not line.strip() or atom[0] in NO_LINE_START:
            line = candidate
            continue
        lines.append(line.rstrip())
        line = atom.lstrip()
    if line.strip():
        lines.append(line.rstrip())
    return lines


def sample_ini(rows):
    """The sample INI's lines: every key commented out at its default, its
    meaning above it in English and in Japanese."""
    lines = [
        '; Tarnwick.ini: the settings of the Tarnwick plug-in. It lives beside Tarnwick.dll.',
        '; Every key is shown commented out at its default: remove the ";" before a key to set it.',
        '; The mail client reads this file when it starts and writes [Window], ShortCutKey, [History]',
        '; and [Recent] when it exits.',
        '; Tarnwick.ini: Tarnwick プラグインの設定です。Tarnwick.dll と同じフォルダに置きます。',
        '; すべてのキーが既定値でコメントアウトされています。設定するにはキーの前の ";" を外します。',
        '; メールソフトは起動時にこのファイルを読み、終了時に [Window]、ShortCutKey、[History]、',
        '; [Recent] を書きます。',
    ]
    section = None
    for row in rows:
        if row['section'] != section:
            section = row['section']
            lines += ['', '[%s]' % section]
        lines += ['; ' + part for part in textwrap.wrap(row['en'].replace('`', '"'), 100)]
        lines += ['; ' + part for part in wrap_japanese(row['ja'].replace('`', '"'), 100)]
        lines.append(';%s=%s' % (row['key'], ini_default(row)))
    return lines


def main(argv):
    if len(argv) != 2 or argv[1] not in ('--write', '--check'):
        sys.exit(__doc__)
    rows = read_rows()
    stale = []
    for language, path in TARGETS.items():
        with open(path, encoding='utf-8', newline='') as f:
            text = f.read()
        made = with_table(text, rows, language, path)
        if made == text:
            continue
        if argv[1] == '--write':
            with open(path, 'w', encoding='utf-8', newline='') as f:
                f.write(made)
        else:
            stale.append(os.path.relpath(path, ROOT))
    if stale:
        sys.exit('settings_table: not made from docs/settings-table.txt: %s (run scripts/settings_table.py --write)'
                 % ', '.join(stale))


if __name__ == '__main__':
    main(sys.argv)
