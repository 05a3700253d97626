"""The shipped Windows programs as Windows sees them before it runs a line of them: imports,
header flags, manifest and version block.

    KAVELO2_WINDOWS_BIN   the Windows build's bin folder
"""
import os
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pe_image
import xp_imports

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools/release"))
import plain_text  # noqa: E402

BIN = Path(os.environ.get("KAVELO2_WINDOWS_BIN", ""))
SHIPPED = ["Kavelo2.exe", "Lisko.exe", "kavelo2-config.exe", "Kavelo2Settings.exe", "PROJECTOR.EXE"]
WITH_MANIFEST = ["Kavelo2.exe", "kavelo2-config.exe", "Kavelo2Settings.exe"]
WITH_VERSION_BLOCK = ["Kavelo2.exe", "Lisko.exe", "kavelo2-config.exe", "Kavelo2Settings.exe"]

VISTA = "{e2011457-1546-43c5-a5fe-008deee3d3f0}"
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
# Windows 8, 8.1 and 10/11: a program that declares one of them loses modes under 32 bits.
LATER_WINDOWS = ["{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V2 = "{urn:schemas-microsoft-com:asm.v2}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"

DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x0040, 0x0100, 0x8000
INSTALLER_WORDS = ["setup", "install", "update", "patch"]


def manifest(program):
    found = pe_image.resources(BIN / program).get(pe_image.RT_MANIFEST, [])
    return found[0] if found else None


class ImportTest(unittest.TestCase):

    def test_bin_holds_only_what_ships_and_the_guide_is_the_releases(self):
        self.assertEqual(sorted(path.name for path in BIN.iterdir()), sorted(SHIPPED + ["user-guide.txt"]))
        # Help > User guide finds beside the built programs what the release puts beside them.
        guide = (ROOT / "docs/user-guide.md").read_text(encoding="utf-8")
        self.assertEqual((BIN / "user-guide.txt").read_bytes(), plain_text.encoded(plain_text.convert(guide)))

    def test_every_import_is_on_the_windows_xp_list_and_every_entry_is_used(self):
        used = {dll: set() for dll in xp_imports.ALLOWED}
        for program in SHIPPED:
            for dll, functions in pe_image.imports(BIN / program).items():
                with self.subTest(program=program, dll=dll):
                    self.assertIn(dll, xp_imports.ALLOWED)
                    self.assertEqual(functions - xp_imports.ALLOWED[dll], set(),
                                     "look up the documented minimum client, then list it")
                    used[dll] |= functions
        for dll, allowed in xp_imports.ALLOWED.items():
            with self.subTest(unused_in=dll):
                self.assertEqual(allowed - used[dll], set(), "no program imports these any more")

    def test_every_import_has_its_row_on_the_windows_calls_page(self):
        page = (ROOT / "docs/windows-calls.md").read_text(encoding="utf-8")
        unnamed = set()
        for program in SHIPPED:
            for dll, functions in pe_image.imports(BIN / program).items():
                if dll != "MSVCRT.DLL":
                    unnamed |= {f"{dll} {name}" for name in functions if f"`{name}`" not in page}
        self.assertEqual(sorted(unnamed), [], "add its row to docs/windows-calls.md")

    def test_only_the_settings_dialog_can_write_the_registry(self):
        writes = {"RegCreateKeyExA", "RegSetValueExA", "RegDeleteValueA"}
        for program in SHIPPED:
            with self.subTest(program=program):
                imported = pe_image.imports(BIN / program).get("ADVAPI32.DLL", set())
                expected = writes if program == "Kavelo2Settings.exe" else set()
                self.assertEqual(imported & writes, expected)

    def test_header_keeps_aslr_and_dep_and_is_terminal_server_aware(self):
        for program in SHIPPED:
            with self.subTest(program=program):
                flags = pe_image.dll_characteristics(BIN / program)
                for flag in (DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE):
                    self.assertTrue(flags & flag, f"{flags:#06x} lacks {flag:#06x}")


class WindowsXpHeadersTest(unittest.TestCase):
    """Built for Windows XP's headers: what the programs hand Windows, XP to 7 accept as well."""

    # QS_ALLINPUT as Windows XP to 7 know it; Windows 8 added QS_TOUCH and QS_POINTER (0x1800),
    # and earlier versions refuse a mask that holds them: the wait then fails at once.
    XP_WAKE_FLAGS = 0x04FF

    def test_every_message_wait_wakes_only_for_input_windows_xp_knows(self):
        for program in SHIPPED:
            with self.subTest(program=program):
                masks = pe_image.wake_masks(BIN / program)
                waits = "MsgWaitForMultipleObjects" in pe_image.imports(BIN / program).get("USER32.DLL", set())
                self.assertEqual(bool(masks), waits, "each imported wait is found in the code")
                for mask in masks:
                    self.assertIsNotNone(mask, "a wake mask that is not a constant")
                    self.assertEqual(mask & ~self.XP_WAKE_FLAGS, 0, f"wake mask {mask:#06x}")


class ManifestTest(unittest.TestCase):

    def test_launcher_and_tool_carry_one_manifest_and_lisko_none(self):
        self.assertIsNotNone(manifest("Kavelo2.exe"))
        for program in WITH_MANIFEST:
            self.assertEqual(manifest(program), manifest("Kavelo2.exe"), program)
        self.assertIsNone(manifest("Lisko.exe"))

    def test_manifest_runs_as_invoker_in_the_form_windows_xp_reads(self):
        root = ElementTree.fromstring(manifest("Kavelo2.exe"))
        # trustInfo in the asm.v2 namespace; XP refuses to start a program whose trustInfo sits
        # in the assembly's own asm.v1 namespace.
        self.assertIsNone(root.find(ASM_V1 + "trustInfo"))
        level = root.find(f"{ASM_V2}trustInfo/{ASM_V2}security/{ASM_V2}requestedPrivileges/"
                          f"{ASM_V2}requestedExecutionLevel")
        self.assertEqual(level.attrib, {"level": "asInvoker", "uiAccess": "false"})

    def test_manifest_declares_vista_and_7_only_and_no_dpi_awareness(self):
        root = ElementTree.fromstring(manifest("Kavelo2.exe"))
        declared = [element.get("Id") for element in root.iter(COMPATIBILITY + "supportedOS")]
        self.assertEqual(declared, [VISTA, WINDOWS_7])
        self.assertNotIn(b"dpiAware", manifest("Kavelo2.exe"))

    def test_strings_shows_the_manifest(self):
        text = subprocess.run(["strings", str(BIN / "Kavelo2.exe")], check=True,
                              capture_output=True, text=True).stdout
        self.assertIn('level="asInvoker"', text)
        for guid in LATER_WINDOWS:
            self.assertNotIn(guid, text.lower())


class VersionBlockTest(unittest.TestCase):

    def test_each_program_names_itself_without_an_installer_word(self):
        for program in WITH_VERSION_BLOCK:
            with self.subTest(program=program):
                blocks = pe_image.resources(BIN / program).get(pe_image.RT_VERSION, [])
                self.assertEqual(len(blocks), 1)
                strings = pe_image.version_strings(blocks[0])
                self.assertEqual(strings["OriginalFilename"], program)
                self.assertEqual(strings["ProductVersion"], "2.0.0.0")
                self.assertTrue(strings["FileDescription"])
                for text in [program, *strings.values()]:
                    for word in INSTALLER_WORDS:
                        self.assertNotIn(word, text.lower())


if __name__ == "__main__":
    unittest.main()
