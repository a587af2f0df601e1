"""What the build scripts of kaland.html and kaland-studio.html share:
reading the parts, and filling a template's placeholders, each of which
must stand exactly once."""
import base64
import re
import sys


def read_text(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def base64_of(path):
    """A file's bytes as base64, whose alphabet has no '<', so that no byte
    of them can end the element that holds them."""
    with open(path, "rb") as file:
        return base64.b64encode(file.read()).decode("ascii")


def read_style(path):
    style = read_text(path)
    if re.search(r"</style", style, re.IGNORECASE):
        sys.exit(f"{path}: holds </style")
    return style


def safe_file_name(path_name):
    return re.sub(r"[^A-Za-z0-9._-]", "_", path_name)


def write_filled_template(template, values, output):
    """Writes `template` (a path) to `output` with each placeholder of
    `values` (pairs) replaced."""
    page = read_text(template)
    for placeholder, value in values:
        if page.count(placeholder) != 1:
            sys.exit(f"{template}: {placeholder} must appear exactly once")
        page = page.replace(placeholder, value)
    with open(output, "w", encoding="utf-8") as file:
        file.write(page)
