#!/usr/bin/env python3
"""Checks what Tarvion.exe carries in its resources, read straight from the PE file.

- RT_RCDATA 200 holds exactly the model pack the native build embeds (same bytes, same
  SHA-256);
- the application manifest (RT_MANIFEST 1) sets the UTF-8 active code page and
  per-monitor DPI awareness, and asks to run as the invoker (no elevation);
- a version block (RT_VERSION 1) names the program and its version;
- it carries no debug sections and no symbol table (a release build is stripped);
- it names no XInput DLL, so it never loads one: Wine's XInput, freed at shutdown, leaves
  a thread running into its unloaded code (a page fault at exit, now and then).

usage: check_exe.py TARVION_EXE NATIVE_PACK VERSION
"""
import hashlib
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_RCDATA, RT_VERSION, RT_MANIFEST = 10, 16, 24


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size = struct.unpack_from("<H", d, pe + 6)[0], struct.unpack_from("<H", d, pe + 20)[0]
        self.symbol_table, self.symbol_count = struct.unpack_from("<II", d, pe + 12)
        optional = pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva = struct.unpack_from("<I", d, directories + 2 * 8)[0]
        self.sections = []
        self.section_names = []
        table = optional + optional_size
        for i in range(sections):
            s = table + 40 * i
            vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", d, s + 8)
            self.sections.append((vaddr, max(vsize, rsize), raw))
            self.section_names.append(self._section_name(d[s:s + 8]))

    def _section_name(self, raw):
        """A name of up to 8 bytes, or "/N": offset N into the string table after the symbols
        (where the linker puts the long names, such as those of the debug sections)."""
        name = raw.rstrip(b"\0").decode("latin-1")
        if name.startswith("/") and name[1:].isdigit() and self.symbol_table:
            start = self.symbol_table + 18 * self.symbol_count + int(name[1:])
            end = self.data.find(b"\0", start)
            if start < len(self.data) and end > start:
                return self.data[start:end].decode("latin-1")
        return name

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise ValueError(f"address {rva:#x} outside every section")

    def _entries(self, directory):
        d = self.data
        named, ids = struct.unpack_from("<HH", d, directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", d, directory + 16 + 8 * i)
            yield name, target

    def resource(self, type_id, res_id):
        """The bytes of the first language of a resource given by numeric type and id."""
        if not self.resource_rva:
            return None
        root = self.offset(self.resource_rva)
        level = root
        for wanted in (type_id, res_id, None):
            found = None
            for name, target in self._entries(level):
                if wanted is None or (not name & 0x80000000 and name == wanted):
                    found = target
                    break
            if found is None:
                return None
            if wanted is None or not found & 0x80000000:
                entry = root + (found & 0x7FFFFFFF)
                rva, size = struct.unpack_from("<II", self.data, entry)
                start = self.offset(rva)
                return self.data[start:start + size]
            level = root + (found & 0x7FFFFFFF)
        return None


def execution_level_problems(text):
    """The manifest must ask for the invoker's rights, without UI access, exactly once."""
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as e:
        return [f"the manifest is no XML: {e}"]
    levels = [e for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if len(levels) != 1:
        return [f"the manifest has {len(levels)} requestedExecutionLevel elements instead of 1"]
    level, ui_access = levels[0].get("level"), levels[0].get("uiAccess", "false")
    if level != "asInvoker" or ui_access != "false":
        return [f"the manifest asks for level {level!r}, uiAccess {ui_access!r} instead of asInvoker without"]
    return []


def main():
    exe, pack_path, version = sys.argv[1:4]
    pe = Pe(exe)
    failures = []

    with open(pack_path, "rb") as f:
        pack = f.read()
    embedded = pe.resource(RT_RCDATA, 200)
    if embedded is None:
        failures.append("no RT_RCDATA resource 200")
    else:
        ours, theirs = hashlib.sha256(embedded).hexdigest(), hashlib.sha256(pack).hexdigest()
        print(f"model pack: {len(embedded)} bytes, sha256 {ours} (native build: {theirs})")
        if embedded != pack:
            failures.append("the embedded model pack differs from the native build's")

    manifest = pe.resource(RT_MANIFEST, 1)
    text = manifest.decode("utf-8", "replace") if manifest else ""
    for needle in ("<activeCodePage", ">UTF-8</activeCodePage>", "PerMonitorV2", "true/pm"):
        if needle not in text:
            failures.append(f"the manifest lacks {needle}")
    failures += execution_level_problems(text)

    block = pe.resource(RT_VERSION, 1)
    if not block:
        failures.append("no version resource")
    else:
        for needle in ("Tarvion.exe", version):
            if needle.encode("utf-16-le") not in block:
                failures.append(f"the version resource lacks {needle}")

    debug = [name for name in pe.section_names if name.startswith(".debug") or name.startswith("/")]
    print(f"sections: {' '.join(pe.section_names)}")
    if debug:
        failures.append(f"debug sections left in: {' '.join(debug)}")
    if pe.symbol_table or pe.symbol_count:
        failures.append(f"a symbol table of {pe.symbol_count} entries left in")
    if b"xinput" in pe.data.lower():
        failures.append("it names an XInput DLL (the UI backend's gamepad support is on)")

    for f in failures:
        print("FAIL:", f)
    if not failures:
        print("resources: model pack, manifest (UTF-8 code page, per-monitor DPI, as invoker) and version block "
              "present; no debug sections or symbols; no XInput")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
