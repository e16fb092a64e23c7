#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Windows zip as a user and Windows see it: one folder Kavrel holding a 64-bit GUI program
with its version record and icon, and every library that program and its libraries load, but
Windows' own, none of them holding a path of the machine that built them.

Usage: tests/windows_package_test.py kavrel-VERSION-windows-x64.zip
"""
import os
import sys
import zipfile

import pefile

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def imports(pe):
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


with zipfile.ZipFile(sys.argv[1]) as archive:
    names = archive.namelist()
    check(all(name.startswith("Kavrel/") for name in names), "everything in one folder Kavrel")
    for needed in ("Kavrel.exe", "qt.conf", "platforms/qwindows.dll",
                   "translations/qtbase_zh_CN.qm", "fonts/LiberationSerif-Regular.ttf",
                   "fonts/gbsn00lp.ttf", "fonts/gkai00mp.ttf", "fonts/ukai.ttc",
                   "fonts/wqy-microhei.ttc", "licenses/Kavrel.txt", "licenses/qt6-base.txt"):
        check("Kavrel/" + needed in names, "Kavrel/" + needed + " in the zip")
    shipped = {name.rsplit("/", 1)[-1].lower() for name in names if name.endswith(".dll")}
    # A path of this machine in a library makes every machine's program a different one.
    machine = {os.path.expanduser("~"), os.environ.get("KAVREL_CACHE", ""),
               os.environ.get("XDG_CACHE_HOME", ""), os.getcwd()} - {"", "/"}
    libraries = {}
    for name in names:
        if name.endswith((".exe", ".dll")):
            data = archive.read(name)
            libraries[name] = pefile.PE(data=data, fast_load=True)
            for path in machine:
                check(path.encode() + b"/" not in data, f"{name} free of {path}")

program = libraries["Kavrel/Kavrel.exe"]
check(program.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], "x64")
check(program.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
      "a GUI program, no console window")

# Windows' own libraries come with Windows; Qt's and MinGW's must come with the program.
for name, pe in libraries.items():
    for dll in imports(pe):
        if dll.startswith(("qt6", "lib")):
            check(dll in shipped, f"{dll}, which {name} loads, in the zip")

program.parse_data_directories(
    directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
fixed = program.VS_FIXEDFILEINFO[0]
check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x00010000, 0), "file version 1.0.0.0")
check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x00010000, 0),
      "product version 1.0.0.0")
strings = {}
translations = []
for info in program.FileInfo[0]:
    if info.Key == b"StringFileInfo":
        for table in info.StringTable:
            check(table.LangID.upper() == b"080404B0", "strings for Chinese (China), Unicode")
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    elif info.Key == b"VarFileInfo":
        translations += [var.entry for var in info.Var]
expected = {"FileVersion": "1.00", "ProductVersion": "1.00", "InternalName": "Kavrel",
            "OriginalFilename": "Kavrel.exe", "FileDescription": "Kavrel"}
for key, value in expected.items():
    check(strings.get(key) == value, f'{key} "{value}", not {strings.get(key)!r}')
check(translations == [{b"Translation": "0x0804 0x04b0"}], "language 0804, code page 04B0")

sizes = set()
for kind in program.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id == pefile.RESOURCE_TYPE["RT_GROUP_ICON"]:
        for group in kind.directory.entries:
            data = group.directory.entries[0].data.struct
            raw = program.get_data(data.OffsetToData, data.Size)
            for i in range(int.from_bytes(raw[4:6], "little")):
                width = raw[6 + 14 * i]
                sizes.add(width or 256)
check({16, 32, 48, 256} <= sizes, f"icons of 16 to 256 px, not {sorted(sizes)}")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
