#!/usr/bin/python3
"""Checks the shipped installer image with a PE reader of its own (pefile),
apart from the project's build and resource code.

usage: check_shipped_file.py [--functions FILE] [--strings FILE]
                             <installer.exe> <payload folder> <payload.txt> [installer.rc]

installer.rc defaults to the one beside payload.txt, strings.rc to the one
beside installer.rc, the list of functions known on Windows 2000 to
windows2000_functions.txt beside this script. The layout of the carried
files is written here (LAYOUT), apart from payload.txt: payload.txt must lay
out the same files, and the image must carry them and name them in both
string tables, beside strings.rc's own strings and nothing else. Every
difference found is printed on a line of its own starting with "FAIL"; the
exit code is 0 when there is none, 1 when there is any and 2 when an input
cannot be read.
"""

import argparse
import os
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

# The reading of the image and of payload.txt, shared with the payload listing.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "release"))
from pe_resources import (DEFINITIONS, ENGLISH, JAPANESE, PRODUCT_CODE_ID,  # noqa: E402
                          RT_GROUP_ICON,
                          RT_ICON, InputError, manifests, open_image, rcdata,
                          read_payload_rows, resource_types, string_tables, version_info)

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "comctl32.dll", "msvcrt.dll",
               "ntdll.dll"}

# The carried files as the working tree holds them: set, RCDATA id,
# file-name string id and the place below the working root, whose last part
# is the text of the string in both tables. payload.txt must say the same.
LAYOUT = [
    ("install", 104, 114, "setup.exe"),
    ("install", 111, 116, "data1.cab"),
    ("install", 106, 117, "data1.hdr"),
    ("install", 112, 118, "data2.cab"),
    ("install", 110, 119, "ISSetup.dll"),
    ("install", 105, 120, "layout.bin"),
    ("install", 113, 121, "setup.ini"),
    ("install", 107, 122, "setup.inx"),
    ("install", 117, 124, "0x0409.ini"),
    ("install", 118, 125, "0x0411.ini"),
    ("install", 146, 150, "0x0804.ini"),
    ("install", 147, 149, "0x0404.ini"),
    ("install", 123, 130, "kpusb\\readme_e.txt"),
    ("install", 124, 131, "kpusb\\readme_j.txt"),
    ("install", 125, 132, "kpusb\\Setup.exe"),
    ("install", 127, 133, "kpusb\\KPUSB64\\DPInst.exe"),
    ("install", 128, 134, "kpusb\\KPUSB64\\dpinst.xml"),
    ("install", 129, 135, "kpusb\\KPUSB64\\licenseE.txt"),
    ("install", 131, 136, "kpusb\\KPUSB64\\licenseJ.txt"),
    ("install", 126, 137, "kpusb\\KPUSB64\\kpusb64.cat"),
    ("install", 130, 138, "kpusb\\KPUSB64\\KPUSB64.INF"),
    ("install", 132, 139, "kpusb\\KPUSB64\\kpusb64.sys"),
    ("install", 134, 140, "kpusb\\KPUSBXP\\DPInst.exe"),
    ("install", 135, 141, "kpusb\\KPUSBXP\\dpinst.xml"),
    ("install", 136, 142, "kpusb\\KPUSBXP\\licenseE.txt"),
    ("install", 138, 143, "kpusb\\KPUSBXP\\licenseJ.txt"),
    ("install", 133, 144, "kpusb\\KPUSBXP\\kpusbxp.cat"),
    ("install", 137, 145, "kpusb\\KPUSBXP\\KPUSB90.INF"),
    ("install", 139, 146, "kpusb\\KPUSBXP\\kpusbxp.sys"),
    ("install", 140, 147, "kpcomusb\\x64\\VrnCe.sys"),
    ("install", 141, 148, "kpcomusb\\x86\\VrnCe.sys"),
    ("install", 122, 126, "manual\\EN\\ReadMeE.txt"),
    ("install", 119, 127, "manual\\EN\\Quillane_User'sManual.pdf"),
    ("install", 120, 128, "manual\\JA\\ReadMeJ.txt"),
    ("install", 121, 129, "manual\\JA\\Quillane_User'sManual.pdf"),
    ("install", 145, 151, "manual\\SC\\ReadMeE.txt"),
    ("install", 144, 152, "manual\\SC\\Quillane_User'sManual.pdf"),
    ("install", 142, 153, "manual\\TC\\ReadMeE.txt"),
    ("install", 143, 154, "manual\\TC\\Quillane_User'sManual.pdf"),
    ("cleanup", 148, 155, "VRESetup32.exe"),
    ("cleanup", 149, 156, "VRESetup64.exe"),
    ("cleanup", 150, 157, "KPCOMUSBCLN.dll"),
]
PAYLOAD_IDS = {rcdata_id for _, rcdata_id, _, _ in LAYOUT}
FILE_NAMES = {name_id: place.rsplit("\\", 1)[-1] for _, _, name_id, place in LAYOUT}
# File-name strings (the product code names the working root), the same in both tables.
SHARED_STRING_IDS = sorted(FILE_NAMES) + [PRODUCT_CODE_ID]
ABSENT_STRING_IDS = [115, 1168]
PRODUCT_CODE = DEFINITIONS["QUILLANE_PRODUCT_CODE"]
ICON_GROUP_ID = DEFINITIONS["QUILLANE_ICON_CLASS"]

FILE_VERSION = (7, 1, 7, 0)
PRODUCT_VERSION = (7, 1, 0, 0)

LEVEL = "requireAdministrator"
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "processorArchitecture": "*",
    "publicKeyToken": "6595b64144ccf1df",
    "language": "*",
}
OWN_ARCHITECTURE = "X86"
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"


class Report:
    def __init__(self):
        self.failures = 0

    def fail(self, section, text):
        self.failures += 1
        print(f"FAIL {section}: {text}")

    def ok(self, section, text):
        print(f"ok {section}: {text}")


# ---------------------------------------------------------------- inputs

def read_functions(path):
    """{(dll lower-cased, function)} from "dll function" lines."""
    functions = set()
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            words = line.split()
            if len(words) != 2:
                raise InputError(f"{path}:{number}: not a 'dll function' line: {line}")
            functions.add((words[0].lower(), words[1]))
    return functions


RC_ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"', "0": "\0"}


def rc_text(quoted):
    """The text of an rc string literal's inside ("" is one quote)."""
    out = []
    i = 0
    while i < len(quoted):
        unit = quoted[i]
        if unit == "\\":
            escape = quoted[i + 1:i + 2]
            if escape not in RC_ESCAPES:
                raise InputError(f"unknown escape \\{escape} in rc string {quoted!r}")
            out.append(RC_ESCAPES[escape])
            i += 2
        elif unit == '"':  # only as the doubled quote, by the pattern that found it
            out.append('"')
            i += 2
        else:
            out.append(unit)
            i += 1
    return "".join(out)


def rc_langid(primary, sub):
    return (int(sub, 0) << 10) | int(primary, 0)


def read_string_tables(path):
    """{langid: {id: text}} from the STRINGTABLE blocks of an rc file."""
    tables = {}
    language = None
    inside = False
    with open(path, encoding="utf-8") as rc:
        for line in rc:
            line = line.strip()
            match = re.match(r"^LANGUAGE\s+(\w+)\s*,\s*(\w+)", line)
            if match:
                language = rc_langid(match.group(1), match.group(2))
                continue
            if line == "BEGIN":
                inside = True
                tables.setdefault(language, {})
                continue
            if line == "END":
                inside = False
                continue
            # An id or text may be one of the shared definitions by name.
            match = re.match(r'^(\w+)\s+(?:"((?:[^"]|"")*)"|(\w+))$', line)
            if inside and match:
                name, text, text_name = match.groups()
                string_id = int(name) if name.isdigit() else DEFINITIONS.get(name)
                text = rc_text(text) if text is not None else DEFINITIONS.get(text_name)
                if not isinstance(string_id, int) or not isinstance(text, str):
                    raise InputError(f"{path}: cannot read the string line {line!r}")
                tables[language][string_id] = text
    if not tables:
        raise InputError(f"{path} has no string table")
    return tables


def read_version_block(path):
    """({key: value} of the StringFileInfo block, its block name, (lang, codepage))."""
    with open(path, encoding="utf-8") as rc:
        text = rc.read()
    start = text.find('BLOCK "StringFileInfo"')
    end = text.find('BLOCK "VarFileInfo"')
    if start < 0 or end < start:
        raise InputError(f"{path} has no StringFileInfo block before its VarFileInfo block")
    block = re.search(r'BLOCK\s+"([0-9A-Fa-f]{8})"', text[start:end])
    values = {key: rc_text(value) for key, value in
              re.findall(r'VALUE\s+"([^"]+)"\s*,\s*"((?:[^"]|"")*)"', text[start:end])}
    translation = re.search(r'VALUE\s+"Translation"\s*,\s*(\w+)\s*,\s*(\w+)', text[end:])
    if not block or not values or not translation:
        raise InputError(f"{path}: cannot read the version block")
    return (values, block.group(1).upper(),
            (int(translation.group(1), 0), int(translation.group(2), 0)))


# ---------------------------------------------------------------- checks

def check_headers(pe, report):
    before = report.failures
    machine = pe.FILE_HEADER.Machine
    if machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        report.fail("headers", f"machine is {pefile.MACHINE_TYPE.get(machine, hex(machine))}, "
                               f"not IMAGE_FILE_MACHINE_I386")
    if pe.OPTIONAL_HEADER.Magic != pefile.OPTIONAL_HEADER_MAGIC_PE:
        report.fail("headers", "the optional header is not PE32")
    subsystem = pe.OPTIONAL_HEADER.Subsystem
    if subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        report.fail("headers", f"subsystem is {pefile.SUBSYSTEM_TYPE.get(subsystem, subsystem)}, "
                               f"not the GUI subsystem")
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for flag in ("IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE", "IMAGE_DLLCHARACTERISTICS_NX_COMPAT"):
        if not flags & pefile.DLL_CHARACTERISTICS[flag]:
            report.fail("headers", f"DllCharacteristics {flags:#06x} lacks {flag}")
    if pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_RELOCS_STRIPPED"]:
        report.fail("headers", "relocations are stripped (IMAGE_FILE_RELOCS_STRIPPED)")
    blocks = getattr(pe, "DIRECTORY_ENTRY_BASERELOC", [])
    fixups = sum(1 for block in blocks for entry in block.entries if entry.type != 0)
    if not fixups:
        report.fail("headers", "the image has no base relocations")
    if report.failures == before:
        report.ok("headers", f"i386, GUI, DllCharacteristics {flags:#06x} with DYNAMIC_BASE and "
                             f"NX_COMPAT, {fixups} relocations in {len(blocks)} blocks")


def check_imports(pe, functions_path, report):
    before = report.failures
    known = read_functions(functions_path)
    imported = set()
    tables = list(getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    tables += list(getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []))
    for table in tables:
        dll = table.dll.decode("ascii", "replace")
        if dll.lower() not in SYSTEM_DLLS:
            report.fail("imports", f"imports from {dll}, which is not one of the system DLLs "
                                   f"{', '.join(sorted(SYSTEM_DLLS))}")
        for symbol in table.imports:
            if symbol.name is None:
                report.fail("imports", f"{dll} ordinal {symbol.ordinal} is imported by ordinal, "
                                       f"not by name")
                continue
            name = symbol.name.decode("ascii", "replace")
            imported.add((dll.lower(), name))
            if (dll.lower(), name) not in known:
                report.fail("imports", f"{dll} {name} is imported but not in {functions_path}: "
                                       f"confirm that it exists on Windows 2000, then add the "
                                       f"line '{dll} {name}' to that list")
    for dll, name in sorted(known - imported):
        print(f"note imports: {dll} {name} is listed but no longer imported")
    if report.failures == before:
        report.ok("imports", f"{len(imported)} functions from {len(tables)} system DLLs, "
                             f"each listed as present on Windows 2000")


def local_name(element):
    return element.tag.rsplit("}", 1)[-1]


def children(element, name):
    return [child for child in element if local_name(child) == name]


def descendants(element, name):
    return [node for node in element.iter() if local_name(node) == name]


def check_manifest(types, report):
    before = report.failures
    languages = manifests(types)
    if not languages:
        report.fail("manifest", "no RT_MANIFEST resource 1")
        return
    for language, data in sorted(languages.items()):
        try:
            root = ElementTree.fromstring(data)
        except ElementTree.ParseError as error:
            report.fail("manifest", f"RT_MANIFEST 1 (language {language}) is not XML: {error}")
            continue
        if local_name(root) != "assembly":
            report.fail("manifest", f"the root element is {local_name(root)}, not assembly")

        own = children(root, "assemblyIdentity")
        if len(own) != 1:
            report.fail("manifest", f"{len(own)} assemblyIdentity elements under assembly, not 1")
        for identity in own:
            architecture = identity.get("processorArchitecture")
            if (architecture or "").lower() != OWN_ARCHITECTURE.lower():
                report.fail("manifest", f"assemblyIdentity processorArchitecture is "
                                        f"{architecture!r}, not {OWN_ARCHITECTURE!r}")

        levels = descendants(root, "requestedExecutionLevel")
        if len(levels) != 1:
            report.fail("manifest", f"{len(levels)} requestedExecutionLevel elements, not 1")
        for level in levels:
            if level.get("level") != LEVEL:
                report.fail("manifest", f"requestedExecutionLevel level is "
                                        f"{level.get('level')!r}, not {LEVEL!r}")
            if level.get("uiAccess") != "false":
                report.fail("manifest", f"requestedExecutionLevel uiAccess is "
                                        f"{level.get('uiAccess')!r}, not 'false'")

        dependencies = [identity for dependency in descendants(root, "dependentAssembly")
                        for identity in children(dependency, "assemblyIdentity")
                        if identity.get("name") == COMMON_CONTROLS["name"]]
        if len(dependencies) != 1:
            report.fail("manifest", f"{len(dependencies)} dependencies on "
                                    f"{COMMON_CONTROLS['name']}, not 1")
        for identity in dependencies:
            for attribute, expected in COMMON_CONTROLS.items():
                if identity.get(attribute) != expected:
                    report.fail("manifest", f"the {COMMON_CONTROLS['name']} dependency has "
                                            f"{attribute} {identity.get(attribute)!r}, "
                                            f"not {expected!r}")

        systems = [(node.get("Id") or "").lower() for node in descendants(root, "supportedOS")]
        if WINDOWS_7 not in systems:
            report.fail("manifest", f"no supportedOS Id {WINDOWS_7} (Windows 7); found {systems}")
    if report.failures == before:
        report.ok("manifest", f"{LEVEL}, uiAccess false, {COMMON_CONTROLS['name']} "
                              f"{COMMON_CONTROLS['version']}, {OWN_ARCHITECTURE}, Windows 7 listed")


def check_version(pe, rc_path, report):
    before = report.failures
    version = version_info(pe)
    if not version:
        report.fail("version", "no version resource")
        return
    file_version, product_version = version.file_version, version.product_version
    if file_version != FILE_VERSION:
        report.fail("version", f"fixed FileVersion is {file_version}, not {FILE_VERSION}")
    if product_version != PRODUCT_VERSION:
        report.fail("version", f"fixed ProductVersion is {product_version}, not {PRODUCT_VERSION}")

    expected, block_name, translation = read_version_block(rc_path)
    tables, translations = version.string_tables, version.translations
    if block_name not in tables:
        report.fail("version", f"no StringFileInfo block {block_name}; found {sorted(tables)}")
    else:
        actual = tables[block_name]
        for key, value in expected.items():
            if key not in actual:
                report.fail("version", f"StringFileInfo lacks {key} (installer.rc: {value!r})")
            elif actual[key] != value:
                report.fail("version", f"StringFileInfo {key} is {actual[key]!r}, installer.rc "
                                       f"says {value!r}")
        for key in sorted(set(actual) - set(expected)):
            report.fail("version", f"StringFileInfo has {key} = {actual[key]!r}, which "
                                   f"installer.rc does not set")
    if translations != [translation]:
        report.fail("version", f"Translation is {translations}, installer.rc says {translation}")
    if report.failures == before:
        report.ok("version", f"file {'.'.join(map(str, file_version))}, product "
                             f"{'.'.join(map(str, product_version))}, {len(expected)} text "
                             f"fields as installer.rc sets them")


def check_icon(types, report):
    before = report.failures
    group = types.get(RT_GROUP_ICON, {}).get(ICON_GROUP_ID)
    if not group:
        report.fail("icon", f"no RT_GROUP_ICON {ICON_GROUP_ID}")
        return
    icons = types.get(RT_ICON, {})
    count = 0
    for language, data in sorted(group.items()):
        if len(data) < 6:
            report.fail("icon", f"RT_GROUP_ICON {ICON_GROUP_ID} is {len(data)} bytes long")
            continue
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        if reserved != 0 or kind != 1 or count == 0 or len(data) < 6 + 14 * count:
            report.fail("icon", f"RT_GROUP_ICON {ICON_GROUP_ID} has header {reserved}, {kind}, "
                                f"{count} in {len(data)} bytes")
            continue
        for index in range(count):
            size, icon_id = struct.unpack_from("<IH", data, 6 + 14 * index + 8)
            images = icons.get(icon_id)
            if not images:
                report.fail("icon", f"icon {icon_id} of group {ICON_GROUP_ID} is missing")
            elif all(len(image) != size for image in images.values()):
                report.fail("icon", f"icon {icon_id} is {[len(i) for i in images.values()]} bytes, "
                                    f"its group says {size}")
    if report.failures == before:
        report.ok("icon", f"group {ICON_GROUP_ID} with {count} icons, each present")


def check_strings(types, strings_path, report):
    before = report.failures
    tables, problems = string_tables(types)
    for problem in problems:
        report.fail("strings", problem)
    for language in sorted(set(tables) - {ENGLISH, JAPANESE}):
        report.fail("strings", f"a string table in language {language}, besides 1033 and 1041")
    for language in (ENGLISH, JAPANESE):
        if language not in tables:
            report.fail("strings", f"no string table in language {language}")
            return
    english, japanese = tables[ENGLISH], tables[JAPANESE]

    for only, present, absent in ((sorted(set(english) - set(japanese)), ENGLISH, JAPANESE),
                                  (sorted(set(japanese) - set(english)), JAPANESE, ENGLISH)):
        if only:
            report.fail("strings", f"ids {only} are in {present} but not in {absent}")
    for string_id in SHARED_STRING_IDS:
        if english.get(string_id) != japanese.get(string_id):
            report.fail("strings", f"string {string_id} reads {english.get(string_id)!r} in 1033 "
                                   f"and {japanese.get(string_id)!r} in 1041")
    for language, table in ((ENGLISH, english), (JAPANESE, japanese)):
        for string_id in ABSENT_STRING_IDS:
            if string_id in table:
                report.fail("strings", f"string {string_id} is present in {language}: "
                                       f"{table[string_id]!r}")
        if table.get(PRODUCT_CODE_ID) != PRODUCT_CODE:
            report.fail("strings", f"string {PRODUCT_CODE_ID} in {language} is "
                                   f"{table.get(PRODUCT_CODE_ID)!r}, not {PRODUCT_CODE}")
        for name_id, name in sorted(FILE_NAMES.items()):
            if table.get(name_id) != name:
                report.fail("strings", f"string {name_id} in {language} is "
                                       f"{table.get(name_id)!r}, the layout names {name!r}")

    # Every other string is strings.rc's own, and there is no string besides.
    written = read_string_tables(strings_path)
    for language, table in ((ENGLISH, english), (JAPANESE, japanese)):
        own = written.get(language, {})
        for string_id, expected in sorted(own.items()):
            if string_id != PRODUCT_CODE_ID and table.get(string_id) != expected:
                report.fail("strings", f"string {string_id} in {language} is "
                                       f"{table.get(string_id)!r}, strings.rc gives {expected!r}")
        for string_id in sorted(set(table) - set(FILE_NAMES) - set(own) - set(ABSENT_STRING_IDS)):
            report.fail("strings", f"string {string_id} in {language} is {table[string_id]!r}; "
                                   f"neither the layout nor strings.rc gives it")
    if report.failures == before:
        report.ok("strings", f"1033 and 1041 hold the same {len(english)} ids: the layout's "
                             f"{len(FILE_NAMES)} file names, product code and strings.rc's own")


def check_layout(rows, report):
    before = report.failures
    written = {(row.set, row.rcdata_id, row.name_id, row.path.replace("/", "\\")) for row in rows}
    for row in LAYOUT:
        if row not in written:
            report.fail("layout", f"payload.txt has no row {row}")
    for row in sorted(written - set(LAYOUT)):
        report.fail("layout", f"payload.txt has the row {row}, which the layout does not")
    if report.failures == before:
        report.ok("layout", f"payload.txt lays out the {len(LAYOUT)} files of the layout")


def check_payload(types, rows, payload_dir, report):
    before = report.failures
    listed = [row.rcdata_id for row in rows]
    for rcdata_id in sorted({i for i in listed if listed.count(i) > 1}):
        report.fail("payload", f"payload.txt lists RCDATA {rcdata_id} more than once")
    carried = rcdata(types)
    for name in sorted(set(carried) - PAYLOAD_IDS, key=str):
        report.fail("payload", f"RCDATA {name} is carried but payload.txt has no row for it")
    total = 0
    for rcdata_id, path in ((row.rcdata_id, row.path) for row in rows):
        languages = carried.get(rcdata_id)
        if not languages:
            report.fail("payload", f"RCDATA {rcdata_id} ({path}) is missing")
            continue
        if set(languages) != {ENGLISH}:
            report.fail("payload", f"RCDATA {rcdata_id} is carried under languages "
                                   f"{sorted(languages)}, not only 1033")
        data = languages.get(ENGLISH)
        if data is None:
            continue
        full = os.path.join(payload_dir, path)
        try:
            with open(full, "rb") as payload_file:
                expected = payload_file.read()
        except OSError as error:
            report.fail("payload", f"cannot read {full} for RCDATA {rcdata_id}: {error}")
            continue
        if data != expected:
            first = next((i for i, (a, b) in enumerate(zip(data, expected)) if a != b),
                         min(len(data), len(expected)))
            report.fail("payload", f"RCDATA {rcdata_id} differs from {path}: {len(data)} bytes "
                                   f"against {len(expected)}, first difference at byte {first}")
        total += len(data)
    if report.failures == before:
        report.ok("payload", f"{len(rows)} RCDATA resources, language 1033 only, "
                             f"{total} bytes equal to the payload folder")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("installer")
    parser.add_argument("payload_dir")
    parser.add_argument("payload_txt")
    parser.add_argument("installer_rc", nargs="?")
    parser.add_argument("--functions", default=os.path.join(here, "windows2000_functions.txt"),
                        help="'dll function' lines of the imports known on Windows 2000")
    parser.add_argument("--strings", help="strings.rc (default: beside installer.rc)")
    args = parser.parse_args()
    rc_path = args.installer_rc or os.path.join(os.path.dirname(args.payload_txt), "installer.rc")
    strings_path = args.strings or os.path.join(os.path.dirname(rc_path), "strings.rc")

    report = Report()
    try:
        if not os.path.isdir(args.payload_dir):
            raise InputError(f"{args.payload_dir} is not a folder")
        rows = read_payload_rows(args.payload_txt)
        pe = open_image(args.installer)
        types = resource_types(pe)
        check_headers(pe, report)
        check_imports(pe, args.functions, report)
        check_manifest(types, report)
        check_version(pe, rc_path, report)
        check_icon(types, report)
        check_layout(rows, report)
        check_strings(types, strings_path, report)
        check_payload(types, rows, args.payload_dir, report)
    except (InputError, OSError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 2
    if report.failures:
        print(f"{report.failures} differences in {args.installer}")
        return 1
    print(f"{args.installer}: no differences")
    return 0


if __name__ == "__main__":
    sys.exit(main())
