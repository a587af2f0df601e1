#!/usr/bin/env python3
"""Builds kaland-studio.html: the studio's page with its style, the studio
engine, the bundled script and the code of its two workers (Graphviz, and
random games, which the page starts with the engine's code before it)
inlined; the bundled map, the template game and the player page (Publish's
template) embedded as base64, whose alphabet has no '<', so no byte of them
can end their element; and the directives and game facts of the map format's
manual page, in its own words, as the studio's reference."""
import argparse
import html
import os
import re
import shlex
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shared"))
from page_parts import base64_of, read_style, read_text, safe_file_name, write_filled_template  # noqa: E402


def script_text(path):
    """Code safe inside a <script> element. esbuild writes "</script" as
    "<\\/script"; a "<!--" (in the Graphviz engine's strings) would change
    how the parser reads the rest, and is written "\\x3C!--", which means the
    same inside a string, a template or a regular expression, the only
    places esbuild's output can hold it."""
    code = read_text(path).replace("<!--", "\\x3C!--")
    if re.search(r"</script", code, re.IGNORECASE):
        sys.exit(f"{path}: holds </script, which would end the page's script")
    return code


# The manual's sections the reference shows.
REFERENCE_SECTIONS = ("DIRECTIVES", "THE GAME'S FACTS")
ESCAPES = {"\\-": "-", "\\%": "", "\\&": "", "\\(aq": "'", "\\e": "\\"}
FONTS = {"B": "code", "I": "em", "R": None}


def roff_text(text):
    for escape, character in ESCAPES.items():
        text = text.replace(escape, character)
    return html.escape(text, quote=False)


def font_line(macro, arguments):
    """A line of .B, .I or of alternating fonts (.BI, .IR, .RB ...) as HTML."""
    words = shlex.split(arguments.replace("\\", "\\\\"), posix=True)
    fonts = macro if len(macro) == 2 else macro * max(1, len(words))
    if len(macro) == 1:
        words = [" ".join(words)]
    pieces = []
    for index, word in enumerate(words):
        tag = FONTS[fonts[index % len(fonts)]]
        text = roff_text(word)
        pieces.append(f"<{tag}>{text}</{tag}>" if tag else text)
    return "".join(pieces)


def manual_reference(path):
    """The sections REFERENCE_SECTIONS of a manual page as HTML: a heading
    each, its paragraphs, examples and tagged paragraphs (a list of terms)."""
    out = []
    section = None
    block = []       # the lines of the paragraph being read
    kind = None      # 'p', 'term', 'dd' or 'pre'
    in_list = False

    def flush():
        nonlocal block, kind
        if block:
            text = ("\n" if kind == "pre" else " ").join(block)
            tag = {"p": "p", "term": "dt", "dd": "dd", "pre": "pre"}[kind]
            out.append(f"<{tag}>{text}</{tag}>")
        block = []

    def close_list():
        nonlocal in_list
        if in_list:
            out.append("</dl>")
            in_list = False

    with open(path, encoding="utf-8") as file:
        lines = file.read().splitlines()
    for line in lines:
        if line.startswith(".SH"):
            flush()
            close_list()
            title = line[3:].strip().strip('"')
            section = title if title in REFERENCE_SECTIONS else None
            if section:
                heading = title.capitalize()
                out.append(f"<h3>{html.escape(heading)}</h3>")
            kind = "p"
            continue
        if section is None or line.startswith('.\\"'):
            continue
        macro, _, arguments = line.partition(" ")
        if macro == ".TP":
            flush()
            if not in_list:
                out.append("<dl>")
                in_list = True
            kind = "term"
        elif macro in (".PP", ".IP"):
            flush()
            if macro == ".PP":
                close_list()
            kind = "dd" if macro == ".IP" else "p"
        elif macro == ".EX":
            flush()
            close_list()
            kind = "pre"
        elif macro == ".EE":
            flush()
            kind = "p"
        elif macro in (".in", ".SS"):
            continue
        elif re.fullmatch(r"\.[BIR]{1,2}", macro):
            block.append(font_line(macro[1:], arguments))
        elif line.startswith("."):
            sys.exit(f"{path}: {macro} is not read for the studio's reference")
        else:
            block.append(roff_text(line))
        if kind == "term" and block:
            flush()
            kind = "dd"
    flush()
    close_list()
    if not out:
        sys.exit(f"{path}: no section {' or '.join(REFERENCE_SECTIONS)}")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("template", "style", "engine", "bundle", "worker", "random_worker", "player_page", "map",
                   "template_map", "manual", "output"):
        parser.add_argument("--" + option.replace("_", "-"), required=True)
    options = parser.parse_args()

    # The studio's script comes first, so that the editor is on the page
    # while the engine's code and the parts needed later are read. The
    # engine's element has an id: the random games' worker runs its text.
    scripts = (f"<script>\n{script_text(options.bundle)}\n</script>\n"
               f'<script id="studio-engine">\n{script_text(options.engine)}\n</script>')
    write_filled_template(options.template, (
        ("@STUDIO_STYLE@", read_style(options.style)),
        ("@STUDIO_MAP_NAME@", safe_file_name(os.path.basename(options.map))),
        ("@STUDIO_MAP@", base64_of(options.map)),
        ("@STUDIO_TEMPLATE_MAP@", base64_of(options.template_map)),
        ("@STUDIO_DIRECTIVES@", manual_reference(options.manual)),
        ("@STUDIO_PLAYER_PAGE@", base64_of(options.player_page)),
        ("@STUDIO_VIZ_WORKER@", script_text(options.worker)),
        ("@STUDIO_RANDOM_WORKER@", script_text(options.random_worker)),
        ("@STUDIO_SCRIPTS@", scripts),
    ), options.output)

if __name__ == "__main__":
    main()
