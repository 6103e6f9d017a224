#!/usr/bin/env python3
"""Writes the web show's template from its parts and the built core:

  make_template.py CORE_JS OUT_DIR

OUT_DIR/reelbox-web-show.html is the template tackon fills (it looks for it beside itself),
OUT_DIR/web_show_template.js the same text for the page. Everything is inline, and the
content-security policy allows exactly these scripts and this style by their hashes. The
About dialog's web address comes from REELBOX_WEB_ADDRESS (empty: the logo opens nothing).
"""
import base64
import hashlib
import html
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def digest(text):
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode("utf-8")).digest()).decode()


def main(core_path, out_dir):
    core, show, style = read(core_path), read(os.path.join(HERE, "show.js")), read(os.path.join(HERE, "show.css"))
    for name, text in (("core", core), ("show.js", show), ("show.css", style)):
        if "</script" in text.lower() or "</style" in text.lower() or "<!--" in text:
            sys.exit(f"make_template: {name} holds text that would end its element early")
    address = os.environ.get("REELBOX_WEB_ADDRESS", "")
    page = read(os.path.join(HERE, "show.html"))
    for token, value in (("@SCRIPT_SOURCES@", digest(core) + " " + digest(show)),
                         ("@STYLE_SOURCE@", digest(style)),
                         ("@WEB_ADDRESS@", html.escape(address, quote=True))):
        page = page.replace(token, value)
    # The scripts and the style go in last, so that nothing in them is taken for a token.
    before, rest = page.split("@STYLE@")
    middle, rest = rest.split("@CORE@")
    between, after = rest.split("@SHOW@")
    page = before + style + middle + core + between + show + after
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "reelbox-web-show.html"), "w", encoding="utf-8") as f:
        f.write(page)
    with open(os.path.join(out_dir, "web_show_template.js"), "w", encoding="utf-8") as f:
        f.write("window.ReelboxWebShowTemplate = %s;\n" % json.dumps(page))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_template.py CORE_JS OUT_DIR")
    main(sys.argv[1], sys.argv[2])
