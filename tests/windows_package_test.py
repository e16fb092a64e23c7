#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Windows zip and installer as a user and Windows see them: one folder Kavrel holding a
64-bit GUI program with its version record and icon, and every library that program and its
libraries load but Windows 10's own, all on one C runtime, none of them holding a path of the
machine that built them or the time it did (only SOURCE_DATE_EPOCH, or the last commit's time,
or zero); an installer that Windows draws sharp at any display scale.

Usage: tests/windows_package_test.py kavrel-VERSION-windows-x64.zip kavrel-VERSION-windows-x64-setup.exe
"""
import os
import re
import subprocess
import sys
import zipfile
import zlib

import pefile

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


# What every Windows 10 has, and the program and Qt may load without carrying it.
WINDOWS = {"advapi32.dll", "authz.dll", "comdlg32.dll", "d3d11.dll", "d3d12.dll", "d3d9.dll",
           "dcomp.dll", "dwmapi.dll", "dwrite.dll", "dxgi.dll", "gdi32.dll", "imm32.dll",
           "kernel32.dll", "mpr.dll", "msvcrt.dll", "netapi32.dll", "ntdll.dll", "ole32.dll",
           "oleaut32.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
           "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll", "wtsapi32.dll"}
# The free faces' files (dist/faces.tsv): the table's last column.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../dist/faces.tsv"),
          encoding="utf-8") as table:
    FACES = [row.rstrip("\n").split("\t")[-1] for row in table if not row.startswith("#")]
# The C runtime a library is built on: msvcrt or the universal one, never both in one process.
RUNTIMES = {"msvcrt.dll": "msvcrt", "ucrtbase.dll": "ucrt"}

# The version the files are named after: the program's version record must show the same.
major, minor, patch = map(int, re.search(r"kavrel-(\d+)\.(\d+)\.(\d+)-windows-x64\.zip$",
                                         sys.argv[1]).groups())
shown_version = f"{major}.{minor:02}"

# The one time a build may write: the packages' own, as dist/windows/pack sets it.
source_date = int(os.environ.get("SOURCE_DATE_EPOCH") or subprocess.check_output(
    ["git", "-C", os.path.dirname(os.path.abspath(__file__)), "log", "-1", "--format=%ct"]))


def times(data, pe):
    """Each time the file holds: its header's, its export table's, and that of every gzip
    stream in it (Qt's MIME database)."""
    yield "header", pe.FILE_HEADER.TimeDateStamp
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]])
    if hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        yield "export table", pe.DIRECTORY_ENTRY_EXPORT.struct.TimeDateStamp
    for found in re.finditer(rb"\x1f\x8b\x08", data):
        try:
            start = zlib.decompressobj(16 + zlib.MAX_WBITS).decompress(
                data[found.start():found.start() + 4096], 1024)
        except zlib.error:
            start = b""
        if len(start) < 1024:
            continue  # three bytes that only look like a gzip header
        yield f"gzip stream at {found.start()}", int.from_bytes(data[found.start() + 4:][:4],
                                                                "little")


def imports(pe):
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


with zipfile.ZipFile(sys.argv[1]) as archive:
    names = archive.namelist()
    check(all(name.startswith("Kavrel/") for name in names), "everything in one folder Kavrel")
    for needed in ["Kavrel.exe", "qt.conf", "platforms/qwindows.dll",
                   "translations/qtbase_zh_CN.qm", "licenses/Kavrel.txt", "licenses/qt6-base.txt"
                   ] + ["fonts/" + os.path.basename(face) for face in FACES]:
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
            for what, time in times(data, libraries[name]):
                check(time in (0, source_date), f"{name}: {what} time {time}, not {source_date}")

program = libraries["Kavrel/Kavrel.exe"]
check(program.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], "x64")
check(program.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
      "a GUI program, no console window")

# Windows' own libraries come with Windows; all others must come with the program.
runtimes = set()
for name, pe in libraries.items():
    for dll in imports(pe):
        check(dll in shipped or dll in WINDOWS or dll.startswith("api-ms-win-"),
              f"{dll}, which {name} loads, in the zip or in every Windows 10")
        if dll in RUNTIMES or dll.startswith("api-ms-win-crt-"):
            runtimes.add(RUNTIMES.get(dll, "ucrt"))
check(len(runtimes) == 1, f"one C runtime, not {sorted(runtimes)}")

program.parse_data_directories(
    directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
fixed = program.VS_FIXEDFILEINFO[0]
numeric = (major << 16 | minor, patch << 16)
check((fixed.FileVersionMS, fixed.FileVersionLS) == numeric, f"file version {numeric}")
check((fixed.ProductVersionMS, fixed.ProductVersionLS) == numeric, f"product version {numeric}")
strings = {}
translations = []
for info in program.FileInfo[0]:
    if info.Key == b"StringFileInfo":
        for table in info.StringTable:
            check(table.LangID.upper() == b"080404B0", "strings for Chinese (China), Unicode")
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    elif info.Key == b"VarFileInfo":
        translations += [var.entry for var in info.Var]
expected = {"FileVersion": shown_version, "ProductVersion": shown_version, "InternalName": "Kavrel",
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

# The installer: DPI aware, so that Windows draws its pages at the display's scale rather than
# stretching them blurred from 96 dpi.
installer = pefile.PE(sys.argv[2])
manifests = [entry for entry in installer.DIRECTORY_ENTRY_RESOURCE.entries
             if entry.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]]
manifest = b""
for entry in manifests:
    data = entry.directory.entries[0].directory.entries[0].data.struct
    manifest += installer.get_data(data.OffsetToData, data.Size)
check(re.search(rb"<(\w+:)?dpiAware[^>]*>\s*true", manifest), "an installer aware of the DPI")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
