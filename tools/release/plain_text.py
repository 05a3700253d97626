"""Turns the user guide's Markdown into plain text that any Notepad shows as it is meant.

Notepad before Windows 10 knows only CR LF line ends and shows Markdown's marks as they are, so
the release carries the guide as plain text: headings underlined, no backticks or asterisks,
tables as indented lists, CR LF line ends. Only the Markdown the guide uses is understood.

    python3 plain_text.py GUIDE.md OUT.txt
"""
import re
import sys
import textwrap

WIDTH = 100
UNDERLINES = {1: "=", 2: "-"}
TABLE_DIVIDER = re.compile(r"^\|?\s*:?-+:?\s*(\|\s*:?-+:?\s*)*\|?$")


def inline(text):
    """Drops inline marks: pictures, links, code, emphasis and backslash escapes. Code stands as
    written: a backslash in it (\\\\server\\share) is no escape."""
    text = re.sub(r"!\[([^\]]*)\]\([^)]*\)", r"[picture: \1]", text)
    text = re.sub(r"\[([^\]]+)\]\((#[^)]*)\)", r"\1", text)
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", r"\1 (\2)", text)
    # Odd parts are the insides of code spans.
    parts = re.split(r"`([^`]*)`", text)
    for i in range(0, len(parts), 2):
        part = parts[i].replace("**", "")  # strong emphasis, which may span lines
        parts[i] = re.sub(r"\\([\\`*_|#\[\]()])", r"\1", part)
    return "".join(parts)


def table_cells(line):
    # An escaped bar (\|) belongs to its cell and divides nothing.
    row = re.sub(r"(?<!\\)\|\s*$", "", line.strip().removeprefix("|"))
    return [inline(cell.strip()) for cell in re.split(r"(?<!\\)\|", row)]


def wrapped(text, indent):
    return textwrap.wrap(text, WIDTH, initial_indent=indent, subsequent_indent=indent,
                         break_long_words=False, break_on_hyphens=False) or [indent.rstrip()]


def table(lines):
    """A table as a list: each row's first cell, then its other cells indented below it, named
    by their column when there are more than two."""
    header = table_cells(lines[0])
    out = []
    for row in lines[2:]:
        cells = table_cells(row)
        out.extend(wrapped(cells[0], ""))
        for name, cell in zip(header[1:], cells[1:]):
            out.extend(wrapped(f"{name}: {cell}" if len(header) > 2 else cell, "    "))
        out.append("")
    if out:
        out.pop()
    return out


def convert(markdown):
    """The plain text of a Markdown text, with CR LF line ends."""
    lines = markdown.replace("\r\n", "\n").split("\n")
    out = []
    i = 0
    while i < len(lines):
        line = lines[i]
        heading = re.match(r"^(#{1,6})\s+(.*)$", line)
        if heading:
            title = inline(heading.group(2))
            level = len(heading.group(1))
            out.append(title)
            out.append(UNDERLINES.get(level, "~") * len(title))
            i += 1
        elif line.startswith("|") and i + 1 < len(lines) and TABLE_DIVIDER.match(lines[i + 1]):
            end = i + 2
            while end < len(lines) and lines[end].startswith("|"):
                end += 1
            out.extend(table(lines[i:end]))
            i = end
        elif line.startswith("    "):
            out.append(line)  # an example: shown as written
            i += 1
        else:
            out.append(inline(line))
            i += 1
    text = "\n".join(line.rstrip() for line in out).strip("\n") + "\n"
    return text.replace("\n", "\r\n")


def encoded(text):
    """ASCII as it is; other text as UTF-8 with a byte order mark, which Notepad recognises from
    Windows XP on."""
    try:
        return text.encode("ascii")
    except UnicodeEncodeError:
        return b"\xef\xbb\xbf" + text.encode("utf-8")


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as source:
        markdown = source.read()
    with open(argv[2], "wb") as target:
        target.write(encoded(convert(markdown)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
