#!/usr/bin/env python3
"""Writes the release package's texts: INSTALL.txt (Japanese and English) and
a sample Tarnwick.ini with every key of the settings table (docs/settings-table.txt,
from which the README's table is made) commented out at its default, described
in English and Japanese. Usage: package_texts.py README.md STAGE_DIR VERSION"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import settings_table  # noqa: E402  the one source of the settings table

readme, stage, version = sys.argv[1], sys.argv[2], sys.argv[3]


def sample_ini():
    """Every key of the settings table, commented out at its default, with its
    meaning in English and Japanese; the README's table is made from the same
    source (settings_table.py --check says whether it still is)."""
    return '\r\n'.join(settings_table.sample_ini(settings_table.read_rows())) + '\r\n'


INSTALL = """Tarnwick {v} - フォルダ検索プラグイン / folder search plug-in for Becky! (32-bit)

[日本語]
インストール
  1. Becky! を終了します。
  2. Tarnwick.dll を Becky! の PlugIns フォルダ (B2.exe のあるフォルダの PlugIns、
     例: C:\\Program Files (x86)\\RimArts\\B2\\PlugIns\\) にコピーします。
  3. Becky! を起動します。「ツール」メニューの最後に「フォルダ検索」が加わり、
     Ctrl+Shift+F で検索ダイアログが開きます。
設定
  設定は DLL と同じフォルダの Tarnwick.ini にあります。同梱の Tarnwick.ini は
  すべてのキーを既定値でコメントアウトしたサンプルです。DLL の隣にコピーし、
  行頭の ";" を外して編集してください (Becky! の終了中に)。
アンインストール
  Becky! を終了し、Tarnwick.dll と Tarnwick.ini を削除します。
確認
  certutil -hashfile Tarnwick-{v}-win32.zip SHA256 の結果を
  Tarnwick-{v}-win32.zip.sha256 と比べてください。

[English]
Install
  1. Quit Becky!.
  2. Copy Tarnwick.dll into Becky!'s PlugIns folder (the folder PlugIns beside B2.exe,
     for example C:\\Program Files (x86)\\RimArts\\B2\\PlugIns\\).
  3. Start Becky!. The Tools menu (ツール) now ends with "フォルダ検索", and
     Ctrl+Shift+F opens the search dialog.
Settings
  The settings live in Tarnwick.ini beside the DLL. The Tarnwick.ini in this package
  shows every key commented out at its default: copy it beside the DLL, remove the ";"
  before a key and edit it (while Becky! is not running).
Uninstall
  Quit Becky! and delete Tarnwick.dll and Tarnwick.ini.
Check the download
  Compare the output of  certutil -hashfile Tarnwick-{v}-win32.zip SHA256  with
  Tarnwick-{v}-win32.zip.sha256.
"""

# The README's table must be the one the INI is made from.
with open(readme, encoding='utf-8', newline='') as f:
    text = f.read()
if settings_table.with_table(text, settings_table.read_rows(), 'en', readme) != text:
    sys.exit('package_texts: the settings table of %s is not made from docs/settings-table.txt '
             '(run scripts/settings_table.py --write)' % readme)
# The profile functions read the INI in the system's code page.
with open(stage + '/Tarnwick.ini', 'wb') as f:
    f.write(sample_ini().encode('cp932'))
# Notepad recognises UTF-8 by its byte order mark.
with open(stage + '/INSTALL.txt', 'wb') as f:
    f.write(b'\xef\xbb\xbf' + INSTALL.format(v=version).replace('\n', '\r\n').encode('utf-8'))
