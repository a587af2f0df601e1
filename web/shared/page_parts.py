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


def compact_script(code):
    """The script without its whole-line comments, blank lines and
    indentation, which a page need not carry. Only whole lines go: a "//"
    after code may sit in a string. (No script of ours continues a string
    or a template over a line end, where this would change its text.)"""
    lines = (line.strip() for line in code.split("\n"))
    return "\n".join(line for line in lines if line and not line.startswith("//"))


def compact_style(style):
    """The style sheet without its comments and indentation."""
    style = re.sub(r"/\*.*?\*/", "", style, flags=re.S)
    return "\n".join(line.strip() for line in style.split("\n") if line.strip())


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
