"""The release zip, made from the Windows build by tools/release/package.py, and its signing.

    KAVELO2_WINDOWS_BIN   the Windows build's bin folder
"""
import hashlib
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BIN = Path(os.environ.get("KAVELO2_WINDOWS_BIN", ""))
TOP = "Kavelo2-2.0.0-win32/"
PROGRAMS = {"Kavelo2.exe": "Kavelo2.exe", "Lisko.exe": "Lisko.exe",
            "kavelo2-config.exe": "kavelo2-config.exe", "Kavelo2Settings.exe": "Kavelo2Settings.exe",
            "sample/PROJECTOR.EXE": "PROJECTOR.EXE"}
TEXT_FILES = ["user-guide.txt", "SHA256SUMS", "sample/Kavelo2.txt"]


def make_package(out, environment=None):
    subprocess.run([sys.executable, "-B", str(ROOT / "tools/release/package.py"), "--bin", str(BIN),
                    "--source", str(ROOT), "--out", str(out), "--version", "2.0.0"],
                   check=True, stdout=subprocess.DEVNULL, env={**os.environ, **(environment or {})})
    return zipfile.ZipFile(out / "Kavelo2-2.0.0-win32.zip")


def sums(text):
    """{file name: SHA-256} of a SHA256SUMS file."""
    listed = {}
    for line in text.decode("ascii").splitlines():
        digest, name = line.split(" *", 1)
        listed[name] = digest
    return listed


class PackageTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.out = Path(cls.folder.name)
        cls.package = make_package(cls.out)

    @classmethod
    def tearDownClass(cls):
        cls.package.close()
        cls.folder.cleanup()

    def read(self, name):
        return self.package.read(TOP + name)

    def test_zip_holds_the_programs_the_sample_the_guide_and_the_sums(self):
        self.assertEqual(sorted(self.package.namelist()), sorted(TOP + name for name in [
            *PROGRAMS, "user-guide.txt", "SHA256SUMS", "sample/Kavelo2.txt", "sample/Kavelo2.ini"]))
        for name, built in PROGRAMS.items():
            self.assertEqual(self.read(name), (BIN / built).read_bytes(), name)
        # The launcher reads every byte of its configuration: the samples go out as they are.
        for sample in ("Kavelo2.txt", "Kavelo2.ini"):
            self.assertEqual(self.read("sample/" + sample), (ROOT / "samples" / sample).read_bytes())

    def test_sums_inside_match_the_programs_and_the_sums_beside_match_the_zip(self):
        inside = sums(self.read("SHA256SUMS"))
        self.assertEqual(inside, {name: hashlib.sha256(self.read(name)).hexdigest()
                                  for name in PROGRAMS})
        beside = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.out,
                                capture_output=True, text=True)
        self.assertEqual(beside.returncode, 0, beside.stdout + beside.stderr)

    def test_text_files_have_cr_lf_line_ends_and_the_guide_no_markdown(self):
        for name in TEXT_FILES:
            with self.subTest(name=name):
                text = self.read(name)
                self.assertIn(b"\r\n", text)
                self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        guide = self.read("user-guide.txt")
        for mark in (b"`", b"|---", b"**", b"\n#"):
            self.assertNotIn(mark, guide)
        self.assertIn(b"kavelo2-config check", guide)

    def test_entries_carry_one_date_and_no_unix_attributes(self):
        infos = self.package.infolist()
        self.assertEqual({info.date_time for info in infos}, {infos[0].date_time})
        archive_attribute = 0x20
        self.assertEqual({(info.create_system, info.external_attr) for info in infos},
                         {(0, archive_attribute)})


class SigningTest(unittest.TestCase):
    """A throwaway self-signed certificate signs the programs; osslsigncode verifies them."""

    def test_signed_programs_verify_and_match_the_sums(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = Path(folder)
            cert, key = folder / "cert.pem", folder / "key.pem"
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                            "-subj", "/CN=Kavelo2 test signer", "-keyout", str(key),
                            "-out", str(cert)], check=True, capture_output=True)
            with make_package(folder / "out", {"KAVELO2_SIGN_CERT": str(cert),
                                               "KAVELO2_SIGN_KEY": str(key)}) as package:
                listed = sums(package.read(TOP + "SHA256SUMS"))
                for name, built in PROGRAMS.items():
                    with self.subTest(program=name):
                        signed = package.read(TOP + name)
                        self.assertNotEqual(signed, (BIN / built).read_bytes())
                        self.assertEqual(listed[name], hashlib.sha256(signed).hexdigest())
                        program = folder / Path(name).name
                        program.write_bytes(signed)
                        check = subprocess.run(["osslsigncode", "verify", "-CAfile", str(cert),
                                                "-in", str(program)], capture_output=True, text=True)
                        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
                        self.assertIn("SHA256", check.stdout)

    def test_a_certificate_without_a_key_stops_the_package(self):
        with tempfile.TemporaryDirectory() as folder:
            with self.assertRaises(subprocess.CalledProcessError):
                make_package(Path(folder), {"KAVELO2_SIGN_CERT": "cert.pem", "KAVELO2_SIGN_KEY": ""})


if __name__ == "__main__":
    unittest.main()
