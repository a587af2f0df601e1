"""What the build scripts of kaland.html and kaland-studio.html share:
reading the parts, filling a template's placeholders, each of which must
stand exactly once, and the page's content policy, which lets run only the
scripts and style sheets the build put in."""
import base64
import hashlib
import re
import sys

# An element's text runs to the first "</script" or "</style" (the build
# scripts refuse code that holds one), as the HTML parser reads it.
SCRIPT_ELEMENT = re.compile(r"<script\b([^>]*)>(.*?)</script\s*>", re.S | re.I)
STYLE_ELEMENT = re.compile(r"<style\b[^>]*>(.*?)</style\s*>", re.S | re.I)
# The script elements of these types hold data, which never runs: the map,
# the engine's binary, the workers' code. Any other is hashed.
DATA_TYPE = re.compile(r'\stype="(application/octet-stream|application/wasm|text/plain)"', re.I)


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


def content_hash(text):
    """The policy's source for an inline element's text: its SHA-256 as the
    browser computes it, over the text with its line ends made LF, in UTF-8."""
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode("utf-8")).digest()).decode("ascii") + "'"


def with_content_policy(template, page):
    """The page with @CSP_SCRIPT_HASHES@ in its policy made the hashes of
    every script that runs, so that an injected one is refused and no edit
    of a page or its build can forget one; and @CSP_STYLE_HASHES@, where the
    page has it, those of its style elements (the studio's editor makes its
    own at run time, so its policy allows inline style instead)."""
    scripts = [text for attributes, text in SCRIPT_ELEMENT.findall(page) if not DATA_TYPE.search(attributes)]
    for placeholder, texts, needed in (("@CSP_SCRIPT_HASHES@", scripts, True),
                                       ("@CSP_STYLE_HASHES@", STYLE_ELEMENT.findall(page), False)):
        if page.count(placeholder) != (1 if needed or placeholder in page else 0):
            sys.exit(f"{template}: {placeholder} must appear exactly once")
        page = page.replace(placeholder, " ".join(dict.fromkeys(content_hash(text) for text in texts)) or "'none'")
    return page


def write_filled_template(template, values, output):
    """Writes `template` (a path) to `output` with each placeholder of
    `values` (pairs) replaced, and then the hashes of its content policy."""
    page = read_text(template)
    for placeholder, value in values:
        if page.count(placeholder) != 1:
            sys.exit(f"{template}: {placeholder} must appear exactly once")
        page = page.replace(placeholder, value)
    page = with_content_policy(template, page)
    with open(output, "w", encoding="utf-8") as file:
        file.write(page)
