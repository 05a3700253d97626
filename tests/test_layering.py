"""Product code depends on nothing under tests/: no source outside a tests folder includes a file
under tests/, and no build file outside one names that folder (the top-level CMakeLists.txt only
adds it)."""
import re
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCES = {".c", ".cc", ".cpp", ".h", ".hpp", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]', re.MULTILINE)


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

    def test_the_check_sees_the_product_files(self):
        names = {str(relative) for relative, _ in product_files()}
        self.assertIn("launcher/launch_context.cpp", names)
        self.assertIn("tools/kavelo2-config/config_tool.cpp", names)


if __name__ == "__main__":
    sys.exit(unittest.main())
