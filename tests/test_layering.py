"""The tree's layers, read from the product sources' includes:

    platform  <-  launcher core and edges  <-  tools/model  <-  tools/machine  <-  the two tools

Product code depends on nothing under tests/ (no source outside a tests folder includes a file
under tests/, and no build file outside one names that folder; the top-level CMakeLists.txt only
adds it), nor on the simulated platform; each layer includes only from itself and the layers below
it (the simulated platform includes nothing from above); and neither tool includes from the other
tool's folder."""
import os
import re
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCES = {".c", ".cc", ".cpp", ".h", ".hpp", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]', re.MULTILINE)
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
TOP_FOLDERS = ("launcher/", "musiclist/", "platform/", "tools/", "tests/", "samples/")


def included_path(relative, name):
    """The path from the project's root of a quoted include: as written, or beside the file."""
    if name.startswith(TOP_FOLDERS):
        return name
    return os.path.normpath(str(relative.parent / name))


def product_files():
    for path in ROOT.rglob("*"):
        relative = path.relative_to(ROOT)
        if relative.parts[0] in ("build", ".git") or "tests" in relative.parts or not path.is_file():
            continue
        if path.suffix in SOURCES or path.name == "CMakeLists.txt" or path.suffix == ".cmake":
            yield relative, path


class LayeringTest(unittest.TestCase):

    def test_no_product_file_reaches_into_tests(self):
        found = []
        for relative, path in product_files():
            text = path.read_text(encoding="utf-8", errors="replace")
            if path.suffix in SOURCES:
                found += [f"{relative}: #include {name}" for name in INCLUDE.findall(text)
                          if name.startswith("tests/") or "/tests/" in name]
            elif relative != Path("CMakeLists.txt"):
                found += [f"{relative}: {line.strip()}" for line in text.splitlines()
                          if re.search(r"(PROJECT_SOURCE_DIR\}|root\}|\.\.)/tests\b", line) and not line.lstrip().startswith("#")]
        self.assertEqual(found, [])

    def test_each_layer_includes_only_from_itself_and_below(self):
        # Folder of the including file -> the folders it may include from (besides the C++ and
        # platform headers, which have no folder).
        platform = {"platform/win32_api.h", "platform/mode_record.h"}
        below = {
            "platform": {"platform"},
            "launcher": {"launcher"} | platform,
            "tools/model": {"launcher", "tools/model"} | platform,
            "tools/machine": {"launcher", "tools/model", "tools/machine"} | platform,
            "tools/kavelo2-config": {"launcher", "tools/model", "tools/machine", "tools/kavelo2-config"} | platform,
            "tools/kavelo2-settings": {"launcher", "tools/model", "tools/machine", "tools/kavelo2-settings"} | platform,
            "musiclist": {"musiclist", "platform/win32_api.h"},
        }
        found = []
        for relative, path in product_files():
            layer = next((name for name in below if str(relative).startswith(name + "/")), None)
            if layer is None or path.suffix not in SOURCES:
                continue
            for name in QUOTED_INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                target = included_path(relative, name)
                if not any(target == allowed or target.startswith(allowed + "/") for allowed in below[layer]):
                    found.append(f"{relative}: #include {name}")
        self.assertEqual(found, [])

    def test_the_settings_dialogs_parts_call_one_way(self):
        # The parts of the settings dialog's edge call each other one way, so that they form no
        # circle: the controls and the frame's place lowest, then saving, then files and trying,
        # then the window's loop and commands, which owns the window's record. A function is the
        # part's that defines it at the start of a line; a call is its name before a parenthesis.
        rank = {"dialog_controls": 0, "dialog_placement": 0, "dialog_save": 1, "dialog_files": 2,
                "dialog_trial": 2, "settings_dialog": 3}
        folder = ROOT / "tools" / "kavelo2-settings"
        sources = {part: re.sub(r"//.*", "", (folder / f"{part}.cpp").read_text(encoding="utf-8"))
                   for part in rank}
        definition = re.compile(r"^[A-Za-z][\w:<>&*, ]*?\b(\w+)\([^;{]*\)\s*(?:const\s*)?\{", re.MULTILINE)
        owner = {}
        for part, text in sources.items():
            for function in definition.findall(text):
                owner.setdefault(function, part)
        found = []
        for part, text in sources.items():
            for function in sorted(set(re.findall(r"\b(\w+)\(", text))):
                callee = owner.get(function, part)
                if callee != part and rank[callee] >= rank[part]:
                    found.append(f"{part}.cpp calls {function} of {callee}.cpp")
        self.assertEqual(found, [])
        self.assertEqual(owner.get("SaveDocument"), "dialog_save")

    def test_the_check_sees_the_product_files(self):
        names = {str(relative) for relative, _ in product_files()}
        self.assertIn("launcher/launch_context.cpp", names)
        self.assertIn("tools/kavelo2-config/config_tool.cpp", names)
        self.assertIn("tools/model/config_check.cpp", names)
        self.assertIn("tools/kavelo2-settings/settings_document.cpp", names)


if __name__ == "__main__":
    sys.exit(unittest.main())
