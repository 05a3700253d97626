"""The user guide's Markdown as the plain text the release carries."""
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools/release"))
import plain_text  # noqa: E402


def lines(markdown):
    return plain_text.convert(markdown).split("\r\n")[:-1]


class PlainTextTest(unittest.TestCase):

    def test_marks_give_way_to_plain_text(self):
        cases = [
            ("heading", "# Guide", ["Guide", "====="]),
            ("section", "## Keys", ["Keys", "----"]),
            ("subsection", "### Example", ["Example", "~~~~~~~"]),
            ("code and emphasis", "Run `check` **now**, \\_BADFLAGS", ["Run check now, _BADFLAGS"]),
            ("code keeps its backslashes", "`\\\\server\\share` or `\\`, not \\_", ["\\\\server\\share or \\, not _"]),
            ("emphasis over two lines", "**Give WIDTH\nand HEIGHT.**", ["Give WIDTH", "and HEIGHT."]),
            ("link", "See [the guide](docs/guide.md) and [below](#keys).",
             ["See the guide (docs/guide.md) and below."]),
            ("picture", "![The dialog](docs/dialog.png)", ["[picture: The dialog]"]),
            ("example kept as written", "    WIDTH:800   `x`", ["    WIDTH:800   `x`"]),
            ("trailing blanks and blank lines at the ends", "\ntext  \n\n", ["text"]),
        ]
        for name, markdown, expected in cases:
            with self.subTest(name):
                self.assertEqual(lines(markdown), expected)

    def test_tables_become_indented_lists(self):
        two_columns = "| File | What |\n|---|---|\n| `a.exe` | the launcher |\n| b | the tool |"
        self.assertEqual(lines(two_columns), ["a.exe", "    the launcher", "", "b", "    the tool"])
        three_columns = "| Caption | Text | Cause |\n|:--|--|--|\n| E | a \\| b | c |"
        self.assertEqual(lines(three_columns), ["E", "    Text: a | b", "    Cause: c"])

    def test_long_cells_wrap_under_their_indent(self):
        cell = " ".join(["word"] * 40)
        wrapped = lines(f"| A | B |\n|---|---|\n| x | {cell} |")
        self.assertGreater(len(wrapped), 2)
        for line in wrapped[1:]:
            self.assertTrue(line.startswith("    word"))
            self.assertLessEqual(len(line), plain_text.WIDTH)

    def test_the_user_guide_has_no_markdown_left_and_only_cr_lf_line_ends(self):
        text = plain_text.convert((ROOT / "docs/user-guide.md").read_text(encoding="utf-8"))
        self.assertEqual(text.count("\n"), text.count("\r\n"))
        for mark in ("`", "|---", "**", "\n#", "]("):
            self.assertNotIn(mark, text)

    def test_text_beyond_ascii_gets_a_byte_order_mark(self):
        self.assertEqual(plain_text.encoded("plain\r\n"), b"plain\r\n")
        self.assertEqual(plain_text.encoded("caf\u00e9"), b"\xef\xbb\xbfcaf\xc3\xa9")


if __name__ == "__main__":
    unittest.main()
