#!/usr/bin/env python3
"""Builds the self-contained page: the template with its style, its scripts
(the engine last, after the scripts that show the first room) and a map
inlined. The map is stored as base64, whose
alphabet has no '<', so no map can end the element that holds it. The
engine's WebAssembly binary, which Emscripten puts into the engine's script
as a data: address, goes into an element of its own in the same way: the
page decodes it with the browser's own base64 decoder, faster than the
engine's script can on a cold start.

Given Node, the engine plays the map's first room at build time, and the page
holds it as kaland-publish's pages do: shown before the engine is ready."""
import argparse
import html
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shared"))
from page_parts import (base64_of, compact_script, compact_style, read_style, read_text,  # noqa: E402
                        safe_file_name, write_filled_template)


def script_element(path, code):
    # An inlined script ends at the first "</script"; "<!--" changes how
    # the parser reads the rest. Neither may appear in the code.
    if re.search(r"</script|<!--", code, re.IGNORECASE):
        sys.exit(f"{path}: holds </script or <!--, which would break the page")
    return f"<script>\n{code}\n</script>"


def inline_script(path):
    return script_element(path, compact_script(read_text(path)))


WASM_DATA_ADDRESS = re.compile(r'"data:application/octet-stream;base64,([A-Za-z0-9+/=]+)"')


def engine_parts(path):
    """The engine's script without its binary, and the binary in base64
    (None when the script holds no such address)."""
    code = read_text(path)
    found = list(WASM_DATA_ADDRESS.finditer(code))
    if len(found) != 1:
        return code, None
    binary = found[0].group(1)
    return code[:found[0].start()] + '"data:application/octet-stream;base64,"' + code[found[0].end():], binary


def inline_engine(path):
    code, binary = engine_parts(path)
    script = script_element(path, code)
    if binary is None:
        return script
    return f'{script}\n<script type="application/wasm" id="kaland-engine">{binary}</script>'


FIRST_SCREEN = '<script type="application/octet-stream" id="kaland-first-screen"></script>'
TITLE = "<title>kaland</title>"
HEADING = '<h1 id="kaland-title" data-source="engine">kaland</h1>'


def first_screen(node, engine, api, script, map_path):
    """The element that holds the map's first room, as kaland-publish writes
    it, and the page's title, from the engine run in Node."""
    result = subprocess.run([node, script, engine, api, map_path], capture_output=True, timeout=120)
    if result.returncode != 0:
        sys.exit(f"{script}: {result.stderr.decode(errors='replace')}")
    screen = json.loads(result.stdout)
    attributes = ""
    if screen["screen"]:
        attributes += f' data-encoding="{screen["encoding"]}"'
        attributes += ' data-heading="hidden"' if screen["headingHidden"] else ""
        attributes += f' data-exits="{screen["exits"]}"' if screen["exits"] else ""
        attributes += ' data-enter="1"' if screen["enter"] else ""
    element = f'<script type="application/octet-stream" id="kaland-first-screen"{attributes}>{screen["screen"]}</script>'
    return element, html.escape(screen["title"])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--template", required=True)
    parser.add_argument("--style", required=True)
    parser.add_argument("--engine", help="the engine's script, inlined before the other scripts")
    parser.add_argument("--script", action="append", required=True)
    parser.add_argument("--map", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--node", help="Node, to play the first room with the engine")
    parser.add_argument("--engine-api", help="engine_api.js, for --node")
    parser.add_argument("--first-screen-script", help="bundled_first_screen.js, for --node")
    options = parser.parse_args()

    first = []
    if options.node and options.engine:
        element, title = first_screen(options.node, options.engine, options.engine_api, options.first_screen_script,
                                      options.map)
        first = [(FIRST_SCREEN, element), (TITLE, f"<title>{title}</title>"),
                 (HEADING, f'<h1 id="kaland-title" data-source="engine">{title}</h1>')]

    write_filled_template(options.template, (
        *first,
        ("@KALAND_STYLE@", compact_style(read_style(options.style))),
        # The engine last: the page's own scripts show the first room
        # while the browser still reads the engine's 200 KB.
        ("@KALAND_SCRIPTS@", "\n".join([inline_script(path) for path in options.script] +
                                       ([inline_engine(options.engine)] if options.engine else []))),
        ("@KALAND_MAP_NAME@", safe_file_name(os.path.basename(options.map))),
        ("@KALAND_MAP@", base64_of(options.map)),
    ), options.output)

if __name__ == "__main__":
    main()
