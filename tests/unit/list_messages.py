"""Writes a header listing every message of the programs, as their sources
declare them (NAME = MESSAGE("literal" ...)), for the tests that check
every message: kEveryMessage, each with where it is declared.

usage: list_messages.py SOURCE_DIR OUTPUT_HEADER
"""
import pathlib
import re
import sys

FOLDERS = ("common", "compositing", "captions", "tools", "alertpane")
LITERAL = r'"(?:[^"\\]|\\.)*"'
LITERALS = r"((?:\s*" + LITERAL + r")+)\s*"
DECLARED = re.compile(r"(\w+) = MESSAGE\(" + LITERALS + r"\)")
USED = re.compile(r"\bMESSAGE\((?!text\))")


def main(source, output):
    entries = []
    for folder in FOLDERS:
        for path in sorted((source / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="utf-8")
            found = DECLARED.findall(text)
            if len(found) != len(USED.findall(text)):
                sys.exit(f"{path}: a MESSAGE this script cannot read")
            where = path.relative_to(source).as_posix()
            entries += [f'    {{"{where} {name}", MESSAGE({" ".join(re.findall(LITERAL, literals))})}},' for name, literals in found]
    if not entries:
        sys.exit("no message found")
    lines = ["// Written by tests/unit/list_messages.py: every message of the programs.",
             "#pragma once", "", '#include "console.h"', "",
             "struct ListedMessage {", "  const char* where;", "  Message message;", "};", "",
             "inline constexpr ListedMessage kEveryMessage[] = {", *entries, "};", ""]
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_text("\n".join(lines), encoding="utf-8")


main(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]))
