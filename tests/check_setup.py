#!/usr/bin/env python3
"""Fails when a program that the toolchain files or the scripts invoke does not
come from a package that the set-up installs. A machine where packages were
installed by hand still catches a missing install step this way.

Each program is resolved as a fresh Debian machine would (a copy in /usr/local
or a user's folder does not count) and mapped to its package with dpkg -S. The
package must be in a package list of the scripts, a direct dependency of one,
or part of every Debian system (essential or of required priority).
Usage: check_setup.py SOURCE_ROOT"""
import glob
import os
import re
import shlex
import subprocess
import sys

root = sys.argv[1]
SCRIPTS = sorted(glob.glob(root + '/scripts/*.sh') + glob.glob(root + '/tests/**/*.sh', recursive=True) +
                 [root + '/.ci/run'])
TOOLCHAINS = sorted(glob.glob(root + '/cmake/toolchain-*.cmake'))
# Run by other programs, not by a script line: CMake's generator, and what
# xvfb-run starts.
INDIRECT = ['ninja', 'Xvfb', 'xauth']
SYSTEM_DIRS = ['/usr/bin', '/bin', '/usr/sbin', '/sbin', '/usr/lib/wine']


def package_lists():
    """Every listed package, and those of the lists that only the 32-bit lane
    installs (every list but the one named packages)."""
    names, on_request = set(), set()
    for path in glob.glob(root + '/scripts/*.sh'):
        text = open(path, encoding='utf-8').read()
        for name, body in re.findall(r'^\s*(\w*packages)=\(([^)]*)\)', text, re.M):
            words = {word.split(':')[0] for word in body.split()}
            names.update(words)
            if name != 'packages':
                on_request.update(words)
    return names, on_request


# Programs that run the command after their own options: (the number of
# their arguments before it, their options that take a separate value).
WRAPPERS = {'timeout': (1, {'-s', '--signal', '-k', '--kill-after'}),
            'unshare': (0, {'--propagation', '--setgroups', '--map-user', '--map-group', '--map-users',
                            '--map-groups', '-S', '--setuid', '-G', '--setgid', '-R', '--root', '-w', '--wd'})}
# Files that the 32-bit lane brings into its build folder instead of the
# machine, and what in its script fetches them: 32-bit Wine's loader comes
# with Debian's wine32 for i386 into the lane's private root, and is seen at
# this path only inside the lane's namespace.
PRIVATE = {'/usr/lib/wine/wine': ('scripts/test-win32.sh', '"wine32=${version}"')}
FUNCTIONS = set()  # of every script: one may call what another defined and sourced
PREFIXES = ('!', 'exec', 'if', 'elif', 'while', 'until', 'then', 'do', 'else', 'command', 'time')
# What follows these is names and assignments, never a program.
DECLARATIONS = ('local', 'export', 'declare', 'readonly')


def shell_tokens(text):
    lexer = shlex.shlex(text, posix=True, punctuation_chars=';&|()<>\n')
    lexer.whitespace = ' \t'
    lexer.commenters = ''
    lexer.wordchars += '$-{}/.,:=+@%[]!*?~^#'
    try:
        return list(lexer)
    except ValueError:  # an odd quote: take the lines one by one
        if '\n' not in text.strip():
            return text.split()
        return [token for line in text.split('\n') for token in shell_tokens(line) + ['\n']]


def substitutions(text):
    """The text with each $(...) replaced by a word, and the code inside them."""
    out, inner, i = [], [], 0
    while i < len(text):
        if text.startswith('$(', i):
            depth, j, quote = 1, i + 2, None
            while j < len(text) and depth:
                c = text[j]
                if quote:
                    quote = None if c == quote else quote
                elif c in '\'"':
                    quote = c
                else:
                    depth += (c == '(') - (c == ')')
                j += 1
            body = text[i + 2:j - 1]
            if not body.startswith('('):  # $((...)) is arithmetic
                inner.append(body)
            out.append('x')
            i = j
        else:
            out.append(text[i])
            i += 1
    return ''.join(out), inner


class Commands:
    """The first word of each simple command of a piece of shell code."""

    def __init__(self):
        self.words = set()
        self.at_command, self.skip_to_separator, self.in_array, self.redirect = True, False, False, False
        self.wrapper, self.wrapper_arguments, self.option_value = None, 0, False

    def feed(self, text):
        text, inner = substitutions(text)
        for code in inner:
            nested = Commands()
            nested.feed(code)
            self.words |= nested.words
        tokens = shell_tokens(text + '\n')
        for i, token in enumerate(tokens):
            following = tokens[i + 1] if i + 1 < len(tokens) else ''
            self.take(token, following)

    def take(self, token, following):
        punctuation = all(c in ';&|()<>\n' for c in token)
        if not self.in_array and token.endswith('=') and following.startswith('('):
            self.in_array = True  # an array's words, also after "local"
        elif self.in_array:
            self.in_array = ')' not in token
            # ")" and the line's end can come as one token.
            if not self.in_array and any(c in token for c in ';&|\n'):
                self.at_command, self.skip_to_separator = True, False
        elif punctuation:
            self.redirect = '<' in token or '>' in token
            if not self.redirect:
                self.at_command, self.skip_to_separator, self.wrapper = True, False, None
        elif self.redirect:
            self.redirect = False
        elif self.wrapper and not self.skip_to_separator:
            arguments, valued = WRAPPERS[self.wrapper]
            if self.option_value:
                self.option_value = False
            elif token.startswith('-'):
                self.option_value = token in valued
            elif self.wrapper_arguments < arguments:
                self.wrapper_arguments += 1
            else:
                self.wrapper = None
                self.take_command(token, following)
        elif self.at_command and not self.skip_to_separator:
            self.take_command(token, following)

    def take_command(self, token, following):
        if re.match(r'^\w+=', token) or token in PREFIXES or token.startswith('${sudo'):
            return
        elif token in ('for', 'case', 'select') or token in DECLARATIONS:
            self.skip_to_separator = True
        elif following.startswith('('):
            FUNCTIONS.add(token)
        elif re.match(r'^(/[\w./+-]+|[A-Za-z][\w.+-]*)$', token):
            self.words.add(token)
        self.at_command = False
        if token in WRAPPERS:
            self.wrapper, self.wrapper_arguments, self.option_value = token, 0, False


def script_commands(path):
    """The first word of each simple command of a shell script, outside here-documents and comments."""
    code, heredoc = [], None
    for line in open(path, encoding='utf-8'):
        if heredoc:
            heredoc = None if line.strip() == heredoc else heredoc
            continue
        m = re.search(r"<<-?\s*'?\"?(\w+)", line)
        heredoc = m.group(1) if m else None
        code.append(re.sub(r'(^|\s)#.*$', '', line.rstrip('\n')))
    commands = Commands()
    commands.feed('\n'.join(code).replace('\\\n', ' '))
    return commands.words


def toolchain_programs(path):
    text = open(path, encoding='utf-8').read()
    programs = re.findall(r'set\(CMAKE_\w+_COMPILER\s+(\S+)\)', text)
    programs += [p for p in re.findall(r'(/usr/[^\s)]+)', text) if not os.path.isdir(p)]
    return programs


def is_builtin(word):
    kind = subprocess.run(['bash', '-c', 'type -t -- "$1"', '_', word], capture_output=True, text=True).stdout
    return kind.strip() in ('builtin', 'keyword')


def owners(path):
    out = subprocess.run(['dpkg', '-S', path], capture_output=True, text=True).stdout
    return {line.split(':')[0].split(',')[0].strip() for line in out.splitlines()
            if ': ' in line and not line.startswith('diversion')}


def package_of(program):
    """The packages owning the program as a fresh machine finds it, or None."""
    name = os.path.basename(program)
    candidates = [program] if program.startswith('/') else [d + '/' + name for d in SYSTEM_DIRS]
    for candidate in candidates:
        if os.path.exists(candidate):
            for path in (candidate, os.path.realpath(candidate)):
                found = owners(path)
                if found:
                    return found
    return None


def allowed_packages(listed):
    allowed = set(listed)
    for package in listed:
        depends = subprocess.run(['dpkg-query', '-W', '-f=${Pre-Depends}, ${Depends}', package], capture_output=True,
                                 text=True).stdout
        allowed.update(re.findall(r'(?:^|[,|]\s*)([a-z0-9][a-z0-9.+-]+)', depends))
    return allowed


def part_of_every_system(package):
    fields = subprocess.run(['dpkg-query', '-W', '-f=${Essential} ${Priority}', package], capture_output=True,
                            text=True).stdout.split()
    return 'yes' in fields or 'required' in fields


listed, on_request = package_lists()
# A program of a package that only the 32-bit lane installs is absent until
# that lane has run here: it cannot be traced to its package before.
not_installed = sorted(p for p in on_request if subprocess.run(
    ['dpkg-query', '-W', '-f=${Status}', p], capture_output=True, text=True).stdout.find('install ok installed') < 0)
allowed = allowed_packages(listed)
programs = {}
commands = {script: script_commands(script) for script in SCRIPTS}
for script, words in commands.items():
    for word in sorted(words - FUNCTIONS):
        if not is_builtin(word):
            programs.setdefault(word, os.path.relpath(script, root))
# Files the scripts read from the system, such as a font, count as programs do.
for script in SCRIPTS:
    for path in re.findall(r'(/usr/[\w./+-]+)', open(script, encoding='utf-8').read()):
        if os.path.isfile(path):
            programs.setdefault(path, os.path.relpath(script, root))
for toolchain in TOOLCHAINS:
    for program in toolchain_programs(toolchain):
        programs.setdefault(program, os.path.relpath(toolchain, root))
for program in INDIRECT:
    programs.setdefault(program, 'indirectly')

def fetched_privately(program):
    """The lane's script that fetches the program into its build folder, or None."""
    if program not in PRIVATE:
        return None
    script, fetch = PRIVATE[program]
    path = os.path.join(root, script)
    return script if os.path.isfile(path) and fetch in open(path, encoding='utf-8').read() else None


failures = []
for program, where in sorted(programs.items()):
    found = package_of(program)
    if found is None and fetched_privately(program):
        print('fetched by %s into its build folder: %s (%s)' % (fetched_privately(program), program, where))
    elif found is None and not_installed:
        print('not checked: %s (%s) is absent; %s not installed yet' % (program, where, ', '.join(not_installed)))
    elif found is None:
        failures.append('%s (%s): no package of this system provides it' % (program, where))
    elif not any(p in allowed or part_of_every_system(p) for p in found):
        failures.append('%s (%s): comes from %s, which the set-up does not install' %
                        (program, where, ', '.join(sorted(found))))
for failure in failures:
    print('FAIL: ' + failure)
print('%d programs checked against %d listed packages' % (len(programs), len(listed)))
sys.exit(1 if failures else 0)
