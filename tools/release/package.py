"""Makes the release zip from the Windows build, the same bytes from the same sources.

    python3 package.py --bin BUILD/bin --source SOURCE --out DIR --version 2.0.0
                       [--date EPOCH] [--sign-cert PEM --sign-key PEM [--sign-password-file F]
                       [--timestamp-url URL]]

Writes DIR/Kavelo2-<version>-win32.zip and, beside it, DIR/SHA256SUMS for the zip. Inside the
zip, under one top folder: the programs, the user guide as plain text, the sample installation
and a SHA256SUMS for the programs. Text files have CR LF line ends. Every entry carries the same
date (--date, else SOURCE_DATE_EPOCH, else the last commit's date) and fixed attributes, in a
fixed order, so that two builds of one commit give the same zip.

With a certificate and a key (the options, else KAVELO2_SIGN_CERT, KAVELO2_SIGN_KEY,
KAVELO2_SIGN_PASSWORD_FILE and KAVELO2_SIGN_TIMESTAMP_URL) every program is signed with
osslsigncode (Authenticode, SHA-256, an RFC 3161 time stamp when a server is given) before it is
summed and zipped. The build's own programs are left as they are.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

import plain_text

# (path in the package, where it comes from: "bin" or "source", its name there)
PROGRAMS = [
    ("Kavelo2.exe", "bin", "Kavelo2.exe"),
    ("Lisko.exe", "bin", "Lisko.exe"),
    ("kavelo2-config.exe", "bin", "kavelo2-config.exe"),
    ("Kavelo2Settings.exe", "bin", "Kavelo2Settings.exe"),
    ("sample/PROJECTOR.EXE", "bin", "PROJECTOR.EXE"),
]
# The sample files go out byte for byte (the launcher reads every byte of Kavelo2.ini;
# Kavelo2.txt is kept with CR LF line ends in the sources, and its encoding is Kavelo2.ini).
FILES = [
    ("sample/Kavelo2.txt", "source", "samples/Kavelo2.txt"),
    ("sample/Kavelo2.ini", "source", "samples/Kavelo2.ini"),
]
GUIDE = ("user-guide.txt", "source", "docs/user-guide.md")
FILE_ATTRIBUTE_ARCHIVE = 0x20
# 2000-01-01, for sources without a commit date.
FALLBACK_DATE = 946684800


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def sums_file(entries):
    """A checksum list that sha256sum -c reads, with CR LF line ends."""
    return "".join(f"{sha256(data)} *{name}\r\n" for name, data in entries).encode("ascii")


def release_date(source, given):
    if given is not None:
        return given
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    commit = subprocess.run(["git", "-C", str(source), "log", "-1", "--format=%ct"],
                            capture_output=True, text=True)
    return int(commit.stdout) if commit.returncode == 0 and commit.stdout.strip() else FALLBACK_DATE


def write_zip(path, top, entries, epoch):
    """Entries in the given order, each with the same date and the DOS archive attribute only
    (no Unix owner or permissions), deflated."""
    # A zip holds dates from 1980 on, in local time of no particular zone: UTC is used.
    date = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(f"{top}/{name}", date_time=date)
            info.create_system = 0
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


class Signer:
    def __init__(self, cert, key, password_file, timestamp_url):
        self.cert, self.key = cert, key
        self.password_file, self.timestamp_url = password_file, timestamp_url

    @staticmethod
    def from_settings(args):
        def setting(value, variable):
            return value or os.environ.get(variable) or None
        cert = setting(args.sign_cert, "KAVELO2_SIGN_CERT")
        key = setting(args.sign_key, "KAVELO2_SIGN_KEY")
        if not cert and not key:
            return None
        if not cert or not key:
            raise SystemExit("package: signing needs both a certificate and a key")
        return Signer(cert, key, setting(args.sign_password_file, "KAVELO2_SIGN_PASSWORD_FILE"),
                      setting(args.timestamp_url, "KAVELO2_SIGN_TIMESTAMP_URL"))

    def sign(self, name, data):
        with tempfile.TemporaryDirectory() as folder:
            unsigned, signed = Path(folder) / "unsigned.exe", Path(folder) / "signed.exe"
            unsigned.write_bytes(data)
            command = ["osslsigncode", "sign", "-certs", self.cert, "-key", self.key,
                       "-h", "sha256", "-n", Path(name).stem]
            if self.password_file:
                command += ["-readpass", self.password_file]
            if self.timestamp_url:
                command += ["-ts", self.timestamp_url]
            command += ["-in", str(unsigned), "-out", str(signed)]
            result = subprocess.run(command, capture_output=True, text=True)
            if result.returncode != 0:
                raise SystemExit(f"package: signing {name} failed:\n{result.stdout}{result.stderr}")
            return signed.read_bytes()


def read(kind, name, args):
    return (Path(args.bin) if kind == "bin" else Path(args.source)).joinpath(name).read_bytes()


def main(argv):
    parser = argparse.ArgumentParser(description="Makes the release zip.")
    parser.add_argument("--bin", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", type=int)
    parser.add_argument("--sign-cert")
    parser.add_argument("--sign-key")
    parser.add_argument("--sign-password-file")
    parser.add_argument("--timestamp-url")
    args = parser.parse_args(argv)

    signer = Signer.from_settings(args)
    programs = []
    for name, kind, origin in PROGRAMS:
        data = read(kind, origin, args)
        programs.append((name, signer.sign(name, data) if signer else data))
    guide_name, kind, origin = GUIDE
    guide = plain_text.encoded(plain_text.convert(read(kind, origin, args).decode("utf-8")))
    entries = programs + [(guide_name, guide)]
    entries += [(name, read(kind, origin, args)) for name, kind, origin in FILES]
    entries.append(("SHA256SUMS", sums_file(programs)))

    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    top = f"Kavelo2-{args.version}-win32"
    package = out / f"{top}.zip"
    write_zip(package, top, entries, release_date(args.source, args.date))
    (out / "SHA256SUMS").write_bytes(sums_file([(package.name, package.read_bytes())]))
    print(f"package: {package}{' (signed)' if signer else ''}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
