#!/usr/bin/env python3
"""Mutation testing: makes small faults in the core sources one at a time and
reports which of them the tests let pass.

    tests/mutation/run.py [--seed N] [--sample N] [--build-dir DIR]
                          [--files REGEX] [--list] [--only N,N...]
                          [-- TEST COMMAND...]

The core sources are every .cpp and .h file of the runner (src/text, src/world,
src/play, src/console and src/driver), found at run time.
The faults (mutants) are:
  comparison  < <= > >= with the boundary moved (< to <=) or turned round
              (< to >=); == and != swapped
  constant    an integer literal moved by one (+1, and -1 when above 0); the
              entries of a table initialised outside any function (a
              character table) are data and left alone
  condition   if (x) / while (x) negated to (!(x)); && and || swapped
  statement   a whole simple statement line in a function body replaced by ;
  literal     a character literal's byte moved by one; a string literal
              emptied, or its first byte moved by one
Comments and preprocessor lines are never touched.

--sample N runs N mutants drawn with --seed (default 1) from all of them
(0: every one); --files keeps the sources whose path matches REGEX, e.g.
--files world/map_; --list prints the chosen mutants without running them;
--only 4,7,12 runs just those positions of the sample, as the report numbers
them (the survivors of a run, again, once tests were added).

For each mutant the script writes the faulty source, rebuilds incrementally
(cmake --build DIR -j2) and runs the test command. A mutant that does not
build is "not compiled"; one whose object files come out byte for byte the
same as the real ones (code the compiler leaves out, or a change it proves
makes no difference) is "same code" and is not tested. Both are left out of
the score. A mutant whose tests fail or run out of time is "killed"; one
whose tests pass "survived". The score is killed / (killed + survived).
The build folder (default build-mutation) is configured as RelWithDebInfo
when it is new (no link-time optimisation, whose object files differ from
build to build), and is rebuilt from the real sources at the end.

The default test command is ctest over the unit, end-to-end and checker
tests, two at a time, stopping at the first failure, each test bounded to
60 s (every case is bounded further by the case runner itself); the Debian
package, manual page and bounds tests, which no core fault can change, are
left out. The install tests stay: they are the only ones that run an
installed kaland, which finds the bundled adventure by its own location.
The whole test command is bounded to --test-timeout seconds (default 900).

Every source is restored whatever happens: after each mutant, on an error,
on Ctrl-C, SIGTERM or SIGHUP. The original of the file under mutation is also
kept in DIR/mutation-journal, so a run that was killed outright is undone at
the start of the next one. At the end each source's SHA-256 is checked
against the one it had at the start.

Examples:
    tests/mutation/run.py --sample 15 --seed 7
    tests/mutation/run.py --files play/ --sample 0
    tests/mutation/run.py --sample 30 -- ctest --test-dir build-mutation -L e2e
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.realpath(__file__))))

# ---------------------------------------------------------------------------
# A small C++ lexer: enough to tell code from comments, preprocessor lines,
# and string and character literals, and to cut code into tokens.

PUNCTUATORS = sorted("""
>>= <<= <=> ->* ... -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= :: ##
{ } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #
""".split(), key=len, reverse=True)


class Token:
    __slots__ = ("kind", "text", "start", "end", "line")

    def __init__(self, kind, text, start, end, line):
        self.kind = kind  # ident, number, string, char, punct
        self.text = text
        self.start = start
        self.end = end
        self.line = line


def skip_quoted(text, position, quote):
    """Returns the position just past the literal that starts at `position`."""
    position += 1
    while position < len(text) and text[position] != quote:
        if text[position] == "\\":
            position += 1
        elif text[position] == "\n":
            break
        position += 1
    return position + 1


def tokenize(text):
    tokens = []
    position = 0
    line = 1
    at_line_start = True
    while position < len(text):
        char = text[position]
        if char == "\n":
            line += 1
            at_line_start = True
            position += 1
            continue
        if char in " \t\r\f\v":
            position += 1
            continue
        if char == "\\" and text.startswith("\n", position + 1):
            position += 2
            line += 1
            continue
        if at_line_start and char == "#":  # a preprocessor line, with its continuations
            while position < len(text) and text[position] != "\n":
                if text[position] == "\\" and text.startswith("\n", position + 1):
                    line += 1
                    position += 1
                position += 1
            continue
        at_line_start = False
        if text.startswith("//", position):
            end = text.find("\n", position)
            position = len(text) if end < 0 else end
            continue
        if text.startswith("/*", position):
            end = text.find("*/", position + 2)
            end = len(text) if end < 0 else end + 2
            line += text.count("\n", position, end)
            position = end
            continue
        start = position
        if char.isalpha() or char == "_":
            while position < len(text) and (text[position].isalnum() or text[position] == "_"):
                position += 1
            word = text[start:position]
            if text.startswith('"', position) and word in ("R", "u8R", "uR", "UR", "LR"):
                match = re.compile(r'"([^(\s]*)\(').match(text, position)
                close = text.find(")" + match.group(1) + '"', match.end()) if match else -1
                if close < 0:
                    raise ValueError(f"line {line}: unterminated raw string")
                end = close + len(match.group(1)) + 2
                tokens.append(Token("rawstring", text[start:end], start, end, line))
                line += text.count("\n", start, end)
                position = end
                continue
            if text.startswith(('"', "'"), position) and word in ("u8", "u", "U", "L"):
                kind = "prefixed"  # left alone: no mutant for a wide literal
                position = skip_quoted(text, position, text[position])
                tokens.append(Token(kind, text[start:position], start, position, line))
                continue
            tokens.append(Token("ident", word, start, position, line))
            continue
        if char.isdigit() or (char == "." and position + 1 < len(text) and text[position + 1].isdigit()):
            position += 1
            while position < len(text):
                if text[position] in "eEpP" and text[position + 1:position + 2] in ("+", "-"):
                    position += 2
                elif text[position].isalnum() or text[position] in "._" or (
                        text[position] == "'" and text[position + 1:position + 2].isalnum()):
                    position += 1
                else:
                    break
            tokens.append(Token("number", text[start:position], start, position, line))
            continue
        if char in "\"'":
            position = skip_quoted(text, position, char)
            kind = "string" if char == '"' else "char"
            tokens.append(Token(kind, text[start:position], start, position, line))
            continue
        for punctuator in PUNCTUATORS:
            if text.startswith(punctuator, position):
                position += len(punctuator)
                tokens.append(Token("punct", punctuator, start, position, line))
                break
        else:
            position += 1  # a byte the lexer does not know; no mutant touches it
    return tokens


# ---------------------------------------------------------------------------
# Where each token stands: in a function body, or at namespace or type level.

# A brace after these opens a block of statements (or, after ; { }, a
# plain block, which is code only inside code).
BLOCK_AFTER = {")", "const", "noexcept", "override", "final", "mutable", "else", "do", "try", "]",
               ";", "{", "}", ":"}
TYPE_KEYWORDS = {"struct", "class", "union", "enum", "namespace"}


def scope_kinds(tokens):
    """For each token, whether it lies inside a function body, and whether in
    a brace-initialised table outside any function."""
    stack = []
    inside = []
    in_table = []
    for index, token in enumerate(tokens):
        inside.append("code" in stack and stack[-1] != "init")
        in_table.append("init" in stack and "code" not in stack)
        if token.text == "{" and token.kind == "punct":
            previous = tokens[index - 1] if index > 0 else None
            kind = "init"
            if previous is None or previous.text in BLOCK_AFTER:
                plain = previous is None or previous.text in (";", "{", "}")
                kind = "code" if not plain or "code" in stack else "ns"
            elif previous.kind == "string":  # extern "C" {
                kind = "ns"
            elif previous.kind == "ident" or previous.text in (">", "::"):
                head = index - 1
                while head >= 0 and tokens[head].text not in (";", "{", "}", "(", "=", ","):
                    head -= 1
                words = {tokens[i].text for i in range(head + 1, index)}
                if words & TYPE_KEYWORDS:
                    kind = "type"
                elif previous.text in ("const", "noexcept", "override", "final"):
                    kind = "code"
            stack.append(kind)
        elif token.text == "}" and token.kind == "punct" and stack:
            stack.pop()
    return inside, in_table


# ---------------------------------------------------------------------------
# The mutants.

class Mutant:
    __slots__ = ("path", "line", "start", "end", "replacement", "operator", "original")

    def __init__(self, path, line, start, end, replacement, operator, original):
        self.path = path
        self.line = line
        self.start = start
        self.end = end
        self.replacement = replacement
        self.operator = operator
        self.original = original

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]

    def change(self):
        def short(text):
            text = " ".join(text.split())
            return text if len(text) <= 50 else text[:47] + "..."
        return f"{self.operator}: `{short(self.original)}` -> `{short(self.replacement) or '(nothing)'}`"


# The boundary moved, and the comparison turned round.
COMPARISON_SWAPS = {
    "<": ["<=", ">="],
    "<=": ["<", ">"],
    ">": [">=", "<="],
    ">=": [">", "<"],
    "==": ["!="],
    "!=": ["=="],
}
TEMPLATE_PARTS = {"::", "*", "&", ",", "<", ">", ">>", "const"}


def template_angles(tokens):
    """Indexes of < and > tokens that are template brackets, not comparisons."""
    angles = set()
    for index, token in enumerate(tokens):
        if token.text != "<" or index == 0 or tokens[index - 1].kind != "ident":
            continue
        depth = 0
        for ahead in range(index, min(index + 40, len(tokens))):
            part = tokens[ahead]
            if part.kind not in ("ident", "number") and part.text not in TEMPLATE_PARTS:
                break
            if part.text == "<":
                depth += 1
            elif part.text in (">", ">>"):
                depth -= len(part.text)
                if depth <= 0:
                    angles.update({index, ahead})
                    break
    return angles


INTEGER = re.compile(r"^(0[xX][0-9a-fA-F']+|0[bB][01']+|[0-9][0-9']*)([uUlLzZ]*)$")


def moved_integer(text, step):
    match = INTEGER.match(text)
    if match is None:
        return None
    digits, suffix = match.group(1).replace("'", ""), match.group(2)
    if digits[:2] in ("0x", "0X"):
        upper = digits[2:] != digits[2:].lower()
        value, form = int(digits, 16), digits[:2] + ("{:X}" if upper else "{:x}")
    elif digits[:2] in ("0b", "0B"):
        value, form = int(digits[2:], 2), "0b{:b}"
    elif len(digits) > 1 and digits[0] == "0":
        value, form = int(digits, 8), "0{:o}"
    else:
        value, form = int(digits), "{}"
    if value + step < 0:
        return None
    return form.format(value + step) + suffix


SIMPLE_ESCAPES = {"n": 10, "t": 9, "r": 13, "v": 11, "f": 12, "a": 7, "b": 8, "0": 0,
                  "\\": 92, "'": 39, '"': 34, "?": 63}


def char_value(body):
    if not body.startswith("\\"):
        return ord(body) if len(body) == 1 else None
    if body[1:] in SIMPLE_ESCAPES:
        return SIMPLE_ESCAPES[body[1:]]
    if body[1] == "x":
        return int(body[2:], 16) & 0xFF
    if body[1:].isdigit():
        return int(body[1:], 8) & 0xFF
    return None


def char_literal(value, quote):
    char = chr(value)
    if char.isprintable() and char.isascii() and char not in ("\\", quote):
        return char
    return f"\\x{value:02x}"


def string_first_byte_moved(token):
    body = token.text[1:-1]
    if body.startswith("\\"):
        match = re.match(r"\\(x[0-9a-fA-F]+|[0-7]{1,3}|.)", body)
        first, rest = match.group(0), body[match.end():]
    else:
        first, rest = body[0], body[1:]
    value = char_value(first)
    if value is None:
        return None
    moved = char_literal((value + 1) % 256, '"')
    if moved.startswith("\\x") and rest[:1] in "0123456789abcdefABCDEF" and rest:
        moved += '""'  # keep the next character out of the hex escape
    return '"' + moved + rest + '"'


DECLARATION = re.compile(
    r"^\s*(?:(?:static|const|constexpr|inline|thread_local|extern|unsigned|signed)\s+)*"
    r"[A-Za-z_][\w:]*(?:<[^;]*>)?[\s*&]+[A-Za-z_]\w*\s*(?:=|;|\[|\{|\()")
NOT_A_STATEMENT_START = {"if", "for", "while", "switch", "case", "default", "do", "else", "try",
                         "return", "goto", "struct", "class", "enum", "union", "namespace",
                         "using", "typedef", "template", "public", "private", "protected",
                         "static_assert", "constexpr", "static", "const"}


def statement_mutants(path, text, tokens, inside):
    """Whole simple statement lines in function bodies, replaced by ;"""
    by_line = {}
    for index, token in enumerate(tokens):
        by_line.setdefault(token.line, []).append(index)
    lines = text.split("\n")
    line_starts = [0]
    for line_text in lines:
        line_starts.append(line_starts[-1] + len(line_text) + 1)
    mutants = []
    for number, indexes in sorted(by_line.items()):
        first, last = tokens[indexes[0]], tokens[indexes[-1]]
        line_text = lines[number - 1]
        if not inside[indexes[0]] or last.text != ";" or first.line != last.line:
            continue
        if first.kind != "ident" and first.text not in ("++", "--", "*", "("):
            continue
        is_bare_return = first.text == "return" and len(indexes) == 2
        if (first.text in NOT_A_STATEMENT_START and not is_bare_return) or DECLARATION.match(line_text):
            continue
        before = tokens[indexes[0] - 1].text if indexes[0] > 0 else ";"
        if before not in (";", "{", "}", ")", "else", ":"):
            continue
        texts = [tokens[i].text for i in indexes]
        if texts.count("(") != texts.count(")") or texts.count("{") != texts.count("}"):
            continue
        mutants.append(Mutant(path, number, first.start, last.end, ";", "statement",
                              text[first.start:last.end]))
    return mutants


def negated_condition(tokens, index, text):
    """(start, end, replacement) negating the condition of the if or while at
    `index`, or None."""
    opening = index + 1
    if opening >= len(tokens) or tokens[opening].text != "(":
        return None
    depth = 0
    for closing in range(opening, len(tokens)):
        depth += {"(": 1, ")": -1}.get(tokens[closing].text, 0)
        if depth == 0:
            break
    if depth != 0 or closing == opening + 1:
        return None
    start, end = tokens[opening + 1].start, tokens[closing - 1].end
    condition = text[start:end]
    # if (T* p = f()) declares rather than tests.
    if ";" in [t.text for t in tokens[opening:closing]] or DECLARATION.match(condition):
        return None
    return start, end, f"!({condition})"


def token_changes(tokens, index, inside, in_table, angles, text):
    """The (operator, start, end, replacement) mutants of one token."""
    token = tokens[index]
    whole = (token.start, token.end)
    if token.kind == "punct" and token.text in COMPARISON_SWAPS and index not in angles:
        return [("comparison", *whole, swap) for swap in COMPARISON_SWAPS[token.text]]
    if token.kind == "punct" and token.text in ("&&", "||") and inside[index]:
        return [("condition", *whole, "||" if token.text == "&&" else "&&")]
    if token.kind == "ident" and token.text in ("if", "while") and inside[index]:
        negated = negated_condition(tokens, index, text)
        return [("condition", *negated)] if negated else []
    if token.kind == "number" and not in_table[index]:
        moved = [moved_integer(token.text, step) for step in (1, -1)]
        return [("constant", *whole, value) for value in moved if value is not None]
    if token.kind == "char":
        value = char_value(token.text[1:-1])
        if value is None:
            return []
        return [("literal", *whole, "'" + char_literal((value + 1) % 256, "'") + "'")]
    if token.kind == "string" and not (index > 0 and tokens[index - 1].text == "extern"):
        if len(token.text) == 2:
            return [("literal", *whole, '"x"')]
        moved = string_first_byte_moved(token)
        return [("literal", *whole, '""')] + ([("literal", *whole, moved)] if moved else [])
    return []


def mutants_of(path, text):
    tokens = tokenize(text)
    inside, in_table = scope_kinds(tokens)
    angles = template_angles(tokens)
    mutants = []
    for index, token in enumerate(tokens):
        for operator, start, end, replacement in token_changes(tokens, index, inside, in_table, angles, text):
            mutants.append(Mutant(path, token.line, start, end, replacement, operator, text[start:end]))
    return mutants + statement_mutants(path, text, tokens, inside)


# ---------------------------------------------------------------------------
# Running commands with bounds, and putting the sources back.

class Interrupted(Exception):
    pass


def on_signal(number, _frame):
    raise Interrupted(signal.Signals(number).name)


# How ctest reports a failed test; no need to wait for the tests still running.
# ("***Failed", "***Timeout", "Subprocess aborted***Exception: ...").
FAILED_TEST = re.compile(rb"Test +#\d+: \S+ [^\n]*\*\*\*(?:Failed|Timeout|Exception)")


def run_bounded(command, seconds, cwd=ROOT, stop_at=None):
    """Runs a command in a process group of its own; returns (status, output).
    The status is None when the command ran out of time, and -1 when its
    output matched `stop_at`; either way its group is killed. Only the last
    64 KB of the output is kept."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, start_new_session=True)
    output = bytearray()
    deadline = time.monotonic() + seconds
    try:
        os.set_blocking(process.stdout.fileno(), False)
        while True:
            try:
                chunk = process.stdout.read(65536)
            except BlockingIOError:
                chunk = None
            if chunk:
                output += chunk
                del output[:-65536]
                if stop_at is not None and stop_at.search(output):
                    return -1, bytes(output).decode(errors="replace")
            elif chunk == b"":
                break
            else:
                if time.monotonic() > deadline:
                    return None, bytes(output).decode(errors="replace")
                time.sleep(0.02)
        remaining = max(deadline - time.monotonic(), 0.1)
        try:
            status = process.wait(remaining)
        except subprocess.TimeoutExpired:
            return None, bytes(output).decode(errors="replace")
        return status, bytes(output).decode(errors="replace")
    finally:
        stop_group(process)


def session_members(session):
    """The live processes of a session, as {pid: parent pid}: a command
    started in a session of its own and everything it started, also what
    moved to process groups of its own (timeout does)."""
    members = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as file:
                fields = file.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if int(fields[3]) == session and fields[0] not in ("Z", "X"):
            members[int(name)] = int(fields[1])
    return members


def process_state(pid):
    try:
        with open(f"/proc/{pid}/stat") as file:
            return file.read().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return None


def stop_group(process):
    """Ends a command and everything it started. The command itself is held
    (SIGSTOP) so that it starts nothing new, and the processes it started
    get SIGTERM: test scripts then stop their own runners and clean their
    scratch folders up. Whatever is left after 10 s, the command too, gets
    SIGKILL."""
    leader = process.pid
    if process.poll() is None:
        os.kill(leader, signal.SIGSTOP)
        held_by = time.monotonic() + 1
        while process_state(leader) not in ("T", "t", "Z", None) and time.monotonic() < held_by:
            time.sleep(0.01)
    asked = set()
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        members = session_members(leader)
        if not set(members) - {leader}:
            break
        # Only the command's own children: what they start, such as the
        # rm of a cleanup, is theirs to end.
        leader_gone = leader not in members
        for pid in {pid for pid, parent in members.items() if parent == leader or leader_gone} - asked:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            asked.add(pid)
        time.sleep(0.05)
    for pid in session_members(leader):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    process.wait()


class Sources:
    """The original bytes and checksums of the core sources, and a journal on
    disk holding the original of the file under mutation."""

    def __init__(self, paths, journal):
        self.journal = journal
        self.recover()
        self.original = {}
        for path in paths:
            with open(os.path.join(ROOT, path), "rb") as file:
                self.original[path] = file.read()
        self.checksums = {path: hashlib.sha256(data).hexdigest() for path, data in self.original.items()}
        self.changed = None

    def recover(self):
        """Puts back a source that a killed run left mutated."""
        record = os.path.join(self.journal, "path")
        if not os.path.exists(record):
            return
        with open(record) as file:
            path = file.read()
        shutil.copyfile(os.path.join(self.journal, "original"), os.path.join(ROOT, path))
        print(f"restored {path} from the journal of an interrupted run", file=sys.stderr)
        shutil.rmtree(self.journal)

    def text(self, path):
        return self.original[path].decode("latin-1")

    def write_mutant(self, mutant):
        os.makedirs(self.journal, exist_ok=True)
        with open(os.path.join(self.journal, "original"), "wb") as file:
            file.write(self.original[mutant.path])
        with open(os.path.join(self.journal, "path"), "w") as file:
            file.write(mutant.path)
        self.changed = mutant.path
        with open(os.path.join(ROOT, mutant.path), "wb") as file:
            file.write(mutant.apply(self.text(mutant.path)).encode("latin-1"))

    def restore(self):
        if self.changed is not None:
            with open(os.path.join(ROOT, self.changed), "wb") as file:
                file.write(self.original[self.changed])
            self.changed = None
        shutil.rmtree(self.journal, ignore_errors=True)

    def verify(self):
        """Checks every source against its checksum, and restores any that differs."""
        wrong = []
        for path, checksum in self.checksums.items():
            with open(os.path.join(ROOT, path), "rb") as file:
                if hashlib.sha256(file.read()).hexdigest() != checksum:
                    wrong.append(path)
                    with open(os.path.join(ROOT, path), "wb") as out:
                        out.write(self.original[path])
        return wrong


# ---------------------------------------------------------------------------

CORE_FOLDERS = ("text", "world", "play", "console", "driver")


def core_sources(pattern):
    found = []
    for folder, _, files in (entry for core in CORE_FOLDERS for entry in os.walk(os.path.join(ROOT, "src", core))):
        for name in files:
            if name.endswith((".cpp", ".h")):
                path = os.path.relpath(os.path.join(folder, name), ROOT)
                if pattern is None or re.search(pattern, path):
                    found.append(path)
    return sorted(found)


def default_test_command(build, per_test):
    return ["ctest", "--test-dir", build, "-j2", "--stop-on-failure", "--timeout", str(per_test),
            "-E", r"^(package\.deb_contents|man\..*|bounds\..*)$"]


def object_checksums(build):
    checksums = {}
    for folder, _, files in os.walk(build):
        for name in files:
            if name.endswith(".o"):
                path = os.path.join(folder, name)
                with open(path, "rb") as file:
                    checksums[path] = hashlib.sha256(file.read()).hexdigest()
    return checksums


def failed_tests(output):
    return re.findall(r"Test +#\d+: (\S+) [^\n]*\*\*\*(?:Failed|Timeout|Exception)", output)


def parse_arguments():
    parser = argparse.ArgumentParser(
        description="Mutation testing of the core sources (see the top of this file).",
        usage="%(prog)s [options] [-- TEST COMMAND...]")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    parser.add_argument("--sample", type=int, default=20,
                        help="how many mutants to run (default 20; 0: every one)")
    parser.add_argument("--build-dir", default="build-mutation",
                        help="build folder, relative to the repository (default build-mutation)")
    parser.add_argument("--files", metavar="REGEX", help="only sources whose path matches")
    parser.add_argument("--list", action="store_true", help="list the chosen mutants and stop")
    parser.add_argument("--only", metavar="N,N...",
                        help="run only these positions of the sample (as the report numbers them), "
                             "e.g. the survivors of an earlier run once tests were added")
    parser.add_argument("--test-timeout", type=int, default=900,
                        help="bound of one run of the test command, in seconds (default 900)")
    parser.add_argument("--build-timeout", type=int, default=900,
                        help="bound of one build, in seconds (default 900)")
    arguments, rest = parser.parse_known_args()
    if rest and rest[0] == "--":
        rest = rest[1:]
    if rest and rest[0].startswith("-"):
        parser.error(f"unknown option {rest[0]}")
    arguments.test_command = rest
    return arguments


def choose_mutants(paths, sources_text, sample, seed):
    every = []
    seen = set()
    for path in paths:
        text = sources_text(path)
        for mutant in mutants_of(path, text):
            key = (path, mutant.apply(text))
            if key not in seen:
                seen.add(key)
                every.append(mutant)
    chosen = every if sample == 0 or sample >= len(every) else random.Random(seed).sample(every, sample)
    return every, chosen


def prepare(build, test_command, arguments):
    """Configures the build folder if it is new, builds the real sources and
    runs the tests on them. Returns the object checksums, or None (with the
    reason printed) when there is nothing to measure against."""
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        status, output = run_bounded(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                                     arguments.build_timeout)
        if status != 0:
            print(output + "\nconfiguring the build folder failed", file=sys.stderr)
            return None
    status, output = run_bounded(["cmake", "--build", build, "-j2"], arguments.build_timeout)
    if status != 0:
        print(output + "\nthe unchanged sources do not build", file=sys.stderr)
        return None
    status, output = run_bounded(test_command, arguments.test_timeout)
    if status != 0:
        print(output + "\nthe tests fail on the unchanged sources; no score can be had", file=sys.stderr)
        return None
    return object_checksums(build)


def try_mutant(mutant, sources, build, test_command, arguments, real_objects):
    """Builds and tests one mutant; returns its outcome and a detail."""
    try:
        sources.write_mutant(mutant)
        status, _ = run_bounded(["cmake", "--build", build, "-j2"], arguments.build_timeout)
        if status != 0:
            return "not compiled", ""
        if object_checksums(build) == real_objects:
            return "same code", ""
        status, output = run_bounded(test_command, arguments.test_timeout, stop_at=FAILED_TEST)
        if status is None:
            return "killed", f"(tests ran over {arguments.test_timeout} s)"
        if status != 0:
            killers = failed_tests(output)
            return "killed", f"({', '.join(killers[:2])})" if killers else ""
        return "survived", ""
    finally:
        sources.restore()


def main():
    arguments = parse_arguments()
    build = os.path.join(ROOT, arguments.build_dir)
    paths = core_sources(arguments.files)
    if not paths:
        print("no source matches", file=sys.stderr)
        return 2

    for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        signal.signal(number, on_signal)
    sources = Sources(paths, os.path.join(build, "mutation-journal"))
    every, chosen = choose_mutants(paths, sources.text, arguments.sample, arguments.seed)
    positions = list(range(1, len(chosen) + 1))
    if arguments.only:
        positions = sorted({int(text) for text in arguments.only.split(",") if text.strip()})
        if any(not 1 <= position <= len(chosen) for position in positions):
            print(f"--only: positions run from 1 to {len(chosen)}", file=sys.stderr)
            return 2
    print(f"{len(every)} mutants in {len(paths)} sources; running {len(chosen)} "
          f"(seed {arguments.seed})", flush=True)
    if arguments.list:
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # nothing to restore: `| head` may end it
        for position in positions:
            mutant = chosen[position - 1]
            print(f"[{position}/{len(chosen)}] {mutant.path}:{mutant.line}: {mutant.change()}")
        return 0

    test_command = arguments.test_command or default_test_command(build, 60)
    results = []
    interrupted = False
    started = time.monotonic()
    try:
        real_objects = prepare(build, test_command, arguments)
        if real_objects is None:
            return 1
        for number in positions:
            mutant = chosen[number - 1]
            mutant_started = time.monotonic()
            outcome, detail = try_mutant(mutant, sources, build, test_command, arguments, real_objects)
            results.append((mutant, outcome))
            seconds = f"{time.monotonic() - mutant_started:.0f} s"
            print(f"[{number}/{len(chosen)}] {mutant.path}:{mutant.line}: {mutant.change()}  "
                  + " ".join(part for part in (outcome.upper(), detail, seconds) if part), flush=True)
    except Interrupted as interruption:
        interrupted = True
        print(f"\ninterrupted by {interruption}; the sources are restored", file=sys.stderr)
    finally:
        sources.restore()
        wrong = sources.verify()
        if wrong:
            print("WARNING: these sources differed from their start and were restored: "
                  + ", ".join(wrong), file=sys.stderr)
        # Leave the build folder matching the real sources.
        run_bounded(["cmake", "--build", build, "-j2"], arguments.build_timeout)

    report(results, time.monotonic() - started)
    return 1 if wrong or interrupted else 0


def report(results, seconds):
    counts = {outcome: sum(1 for _, o in results if o == outcome)
              for outcome in ("killed", "survived", "not compiled", "same code")}
    compiled = counts["killed"] + counts["survived"]
    print()
    survivors = [mutant for mutant, outcome in results if outcome == "survived"]
    if survivors:
        print("Survived (no test failed):")
        for mutant in survivors:
            print(f"  {mutant.path}:{mutant.line}: {mutant.change()}")
    score = f"{100 * counts['killed'] / compiled:.1f}%" if compiled else "n/a"
    print(f"Score: {counts['killed']} killed / {compiled} compiled = {score} "
          f"({counts['survived']} survived, {counts['not compiled']} not compiled, "
          f"{counts['same code']} same code; {len(results)} mutants in {seconds / 60:.1f} min)")


if __name__ == "__main__":
    sys.exit(main())
