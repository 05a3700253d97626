"""Reads what the release tests check in a built Windows program: its imports and header flags
(from i686-w64-mingw32-objdump -p) and its resources (from the PE file itself)."""
import re
import struct
import subprocess
from pathlib import Path

RT_VERSION = 16
RT_MANIFEST = 24


def dump(path):
    return subprocess.run(["i686-w64-mingw32-objdump", "-p", str(path)], check=True,
                          capture_output=True, text=True).stdout


def imports(path):
    """{DLL name in upper case: set of imported function names}."""
    found = {}
    dll = None
    for line in dump(path).splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).upper()
            found[dll] = set()
            continue
        function = re.match(r"\t[0-9a-f]+\t\s+\d+\s+(\S+)$", line)
        if function and dll:
            found[dll].add(function.group(1))
    return found


def dll_characteristics(path):
    return int(re.search(r"^DllCharacteristics\s+([0-9a-f]+)", dump(path), re.M).group(1), 16)


def resources(path):
    """{resource type id: [data of each resource of that type]}."""
    image = Path(path).read_bytes()
    header = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, header + 6)
    optional = header + 24
    resource_rva = struct.unpack_from("<I", image, optional + 96 + 2 * 8)[0]
    table = optional + optional_size
    spans = [struct.unpack_from("<8xIIII", image, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for _, address, raw_size, raw_pointer in spans:
            if address <= rva < address + raw_size:
                return rva - address + raw_pointer
        raise ValueError(f"RVA {rva:#x} lies in no section")

    root = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", image, root + directory)
        for i in range(named + numbered):
            yield struct.unpack_from("<II", image, root + directory + 16 + 8 * i)

    def leaves(pointer):
        if pointer & 0x80000000:
            for _, child in entries(pointer & 0x7FFFFFFF):
                yield from leaves(child)
        else:
            rva, size = struct.unpack_from("<II", image, root + pointer)
            yield image[offset(rva):offset(rva) + size]

    return {kind: list(leaves(pointer)) for kind, pointer in entries(0)}


def version_strings(block):
    """The name/value pairs of a version block's StringFileInfo."""
    strings = {}

    def walk(start, end, in_strings):
        while start + 6 <= end:
            length, value_length, is_text = struct.unpack_from("<HHH", block, start)
            key_end = start + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[start + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            value_bytes = value_length * 2 if is_text else value_length
            if in_strings and is_text:
                strings[key] = block[value:value + value_bytes].decode("utf-16-le").rstrip("\0")
            children = (value + value_bytes + 3) & ~3
            walk(children, start + length, in_strings or key == "StringFileInfo")
            start = (start + length + 3) & ~3

    walk(0, len(block), False)
    return strings
