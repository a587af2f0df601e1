#!/usr/bin/env python3
"""Builds kaland-studio.html: the studio's page with its style, the studio
engine, the bundled script and the code of its two workers (Graphviz, and
random games, which the page starts with the engine's code before it)
inlined, and the bundled map and the player page (Publish's template)
embedded as base64, whose alphabet has no '<', so no byte of them can end
their element."""
import argparse
import os
import re
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


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("template", "style", "engine", "bundle", "worker", "random_worker", "player_page", "map", "output"):
        parser.add_argument("--" + option.replace("_", "-"), required=True)
    options = parser.parse_args()

    # The engine's element has an id: the random games' worker runs its text.
    scripts = (f'<script id="studio-engine">\n{script_text(options.engine)}\n</script>\n'
               f"<script>\n{script_text(options.bundle)}\n</script>")
    write_filled_template(options.template, (
        ("@STUDIO_STYLE@", read_style(options.style)),
        ("@STUDIO_MAP_NAME@", safe_file_name(os.path.basename(options.map))),
        ("@STUDIO_MAP@", base64_of(options.map)),
        ("@STUDIO_PLAYER_PAGE@", base64_of(options.player_page)),
        ("@STUDIO_VIZ_WORKER@", script_text(options.worker)),
        ("@STUDIO_RANDOM_WORKER@", script_text(options.random_worker)),
        ("@STUDIO_SCRIPTS@", scripts),
    ), options.output)

if __name__ == "__main__":
    main()
