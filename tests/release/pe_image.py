"""Reads what the release tests check in a built Windows program: its imports and header flags
(from i686-w64-mingw32-objdump -p), its resources and import slots (from the PE file itself), and
the wake masks its code passes (from the disassembly)."""
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


class Image:
    """A 32-bit PE file's bytes, with its image base, data directories and section map."""

    def __init__(self, path):
        self.bytes = Path(path).read_bytes()
        header = struct.unpack_from("<I", self.bytes, 0x3C)[0]
        sections, optional_size = struct.unpack_from("<H12xH", self.bytes, header + 6)
        self.optional = header + 24
        self.base = struct.unpack_from("<I", self.bytes, self.optional + 28)[0]
        table = self.optional + optional_size
        self.spans = [struct.unpack_from("<8xIIII", self.bytes, table + 40 * i) for i in range(sections)]

    def directory(self, number):
        return struct.unpack_from("<I", self.bytes, self.optional + 96 + number * 8)[0]

    def offset(self, rva):
        for _, address, raw_size, raw_pointer in self.spans:
            if address <= rva < address + raw_size:
                return rva - address + raw_pointer
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.bytes[start:self.bytes.index(b"\0", start)].decode("ascii")


def import_slots(path):
    """{(DLL name in upper case, function name): the address of its slot in the import table}."""
    image = Image(path)
    slots = {}
    descriptor = image.offset(image.directory(1))
    while True:
        lookup, _, _, name, first_thunk = struct.unpack_from("<IIIII", image.bytes, descriptor)
        if name == 0:
            return slots
        dll = image.text(name).upper()
        entry = image.offset(lookup or first_thunk)
        for index in range(1 << 16):
            thunk = struct.unpack_from("<I", image.bytes, entry + 4 * index)[0]
            if thunk == 0:
                break
            if not thunk & 0x80000000:
                slots[(dll, image.text(thunk + 2))] = image.base + first_thunk + 4 * index
        descriptor += 20


def wake_masks(path):
    """The wake mask of each call of MsgWaitForMultipleObjects in the program's code, in code
    order: the constant the call's fifth argument was given (None where it is not a constant
    stored right before the call). Calls through the import slot, directly or from a register
    loaded with it, are found in i686-w64-mingw32-objdump's disassembly."""
    slot = import_slots(path).get(("USER32.DLL", "MsgWaitForMultipleObjects"))
    if slot is None:
        return []
    listing = subprocess.run(["i686-w64-mingw32-objdump", "-d", "--no-show-raw-insn", str(path)],
                             check=True, capture_output=True, text=True).stdout
    masks, holders, recent = [], set(), []
    for line in listing.splitlines():
        parts = line.split("\t")
        if len(parts) < 2 or not re.match(r"\s*[0-9a-f]+:$", parts[0]):
            continue
        instruction = " ".join(parts[1].split())
        loaded = re.fullmatch(rf"mov 0x{slot:x},%(\w+)", instruction)
        if loaded:
            holders.add(loaded.group(1))
        elif instruction.startswith("ret"):
            holders.clear()
        else:
            written = re.search(r",%(\w+)$", instruction)
            if written:
                holders.discard(written.group(1))
        called = re.fullmatch(r"call \*(?:0x([0-9a-f]+)|%(\w+))", instruction)
        if called and (called.group(1) == f"{slot:x}" or called.group(2) in holders):
            stored = [re.fullmatch(r"movl \$0x([0-9a-f]+),0x10\(%esp\)", earlier) for earlier in recent[-12:]]
            found = [int(match.group(1), 16) for match in stored if match]
            masks.append(found[-1] if found else None)
        recent.append(instruction)
    return masks


def resources(path):
    """{resource type id: [data of each resource of that type]}."""
    pe = Image(path)
    image = pe.bytes
    offset = pe.offset
    root = offset(pe.directory(2))

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
