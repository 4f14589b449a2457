"""Reads what a built installer carries, with pefile (python3-pefile) and
apart from the installer's own build and resource code: the RCDATA
resources, the string tables, the version resource, the application
manifest, and the rows of the payload manifest (Packager/res/payload.txt)
that say which RCDATA id is written into which folder under which file-name
string.

Used by scripts/release/payload-listing.py and tests/build/check_shipped_file.py.
Everything here reads; nothing judges. An input that cannot be read as what
it should be raises InputError.
"""

import collections
import os
import re
import struct
import sys

import pefile

RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_STRING = pefile.RESOURCE_TYPE["RT_STRING"]
RT_RCDATA = pefile.RESOURCE_TYPE["RT_RCDATA"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
RT_MANIFEST = pefile.RESOURCE_TYPE["RT_MANIFEST"]

ENGLISH = 1033
JAPANESE = 1041

# The installer's resource ids, result codes and fixed texts, defined once in
# Packager/res/resource_ids.h for the resource scripts, the program and these
# scripts alike.
RESOURCE_IDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                            "Packager", "res", "resource_ids.h")


def read_definitions(path=RESOURCE_IDS):
    """{name: number or text} of the "#define NAME value" lines of a header."""
    definitions = {}
    with open(path, encoding="utf-8") as header:
        for line in header:
            match = re.match(r'^#define\s+(\w+)\s+(?:(\d+)|"([^"]*)")\s*$', line)
            if match:
                number, text = match.group(2), match.group(3)
                definitions[match.group(1)] = int(number) if number is not None else text
    return definitions


DEFINITIONS = read_definitions()

# The product code, the name of the working root: a file-name string of its
# own besides those of the payload.txt rows.
PRODUCT_CODE_ID = DEFINITIONS["QUILLANE_STRING_PRODUCT_CODE"]

MANIFEST_ROW = re.compile(r"^([a-z]+)[ \t]+([0-9]+)[ \t]+([0-9]+)[ \t]+(.+)$")

# One row of payload.txt: its set ("install" or "cleanup"), the RCDATA id and
# file-name string id, and the file's path below the payload folder (with "/"
# between folders), whose folders are the ones it lands in below the working
# root.
PayloadRow = collections.namedtuple("PayloadRow", "set rcdata_id name_id path")

# The version resource: the fixed file and product versions as four numbers
# each, {block name (upper case): {key: value}} of the StringFileInfo, and
# the (language, code page) pairs of every Translation value.
VersionInfo = collections.namedtuple("VersionInfo",
                                     "file_version product_version string_tables translations")


class InputError(Exception):
    """An input that cannot be read as what it should be."""


# ---------------------------------------------------------------- payload.txt

def read_payload_rows(path):
    """The PayloadRow of each install and cleanup row of payload.txt, in its order."""
    rows = []
    with open(path, encoding="utf-8") as manifest:
        for line in manifest:
            line = line.rstrip("\n")
            if not re.match(r"^(install|cleanup)[ \t]", line):
                continue
            match = MANIFEST_ROW.match(line)
            if not match:
                raise InputError(f"malformed row in {path}: {line}")
            row = PayloadRow(match.group(1), int(match.group(2)), int(match.group(3)),
                             match.group(4).strip())
            parts = row.path.split("/")
            if row.path.startswith("/") or "\\" in row.path or any(p in ("", ".", "..") for p in parts):
                raise InputError(f"row in {path} names no file below the payload folder: {line}")
            rows.append(row)
    if not rows:
        raise InputError(f"{path} has no rows")
    return rows


def file_name_ids(rows):
    """The ids of the file-name strings, sorted: each row's and the product code's;
    both string tables hold the same texts under them."""
    return sorted({row.name_id for row in rows} | {PRODUCT_CODE_ID})


def folder_path(row):
    """The folder a row's file lands in below the working root ("" for the root)."""
    return "\\".join(row.path.split("/")[:-1])


def landing_path(row, file_name):
    """Where a row's file is written below the working root, given its file name."""
    folder = folder_path(row)
    return f"{folder}\\{file_name}" if folder else file_name


def open_image(path, data=None):
    """The pefile.PE of an installer (its bytes already read, or read from path);
    InputError when it is not one."""
    try:
        return pefile.PE(path) if data is None else pefile.PE(data=data)
    except (OSError, pefile.PEFormatError) as error:
        raise InputError(f"cannot read {path} as a PE image: {error}") from error


def resource_types(pe):
    """{type id: {name id: {langid: bytes}}}; names that are strings are kept as strings."""
    types = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return types
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        kind_id = kind.id if kind.name is None else str(kind.name)
        names = types.setdefault(kind_id, {})
        for name in kind.directory.entries:
            name_id = name.id if name.name is None else str(name.name)
            languages = names.setdefault(name_id, {})
            for language in name.directory.entries:
                data = language.data.struct
                languages[language.id] = pe.get_data(data.OffsetToData, data.Size)
    return types


def rcdata(types):
    """{RCDATA id: {langid: bytes}}."""
    return types.get(RT_RCDATA, {})


def manifests(types):
    """{langid: bytes} of RT_MANIFEST 1."""
    return types.get(RT_MANIFEST, {}).get(1, {})


def string_block_entries(block, data, language):
    """({id: text} of the non-empty entries of one RT_STRING block, [problems])."""
    entries = {}
    problems = []
    offset = 0
    for index in range(16):
        if offset + 2 > len(data):
            problems.append(f"block {block} (language {language}) ends inside entry {index}")
            break
        (length,) = struct.unpack_from("<H", data, offset)
        offset += 2
        if offset + 2 * length > len(data):
            problems.append(f"block {block} (language {language}) entry {index} "
                            f"runs past the block")
            break
        if length:
            entries[(block - 1) * 16 + index] = data[offset:offset + 2 * length].decode("utf-16-le")
        offset += 2 * length
    return entries, problems


def string_tables(types):
    """({langid: {id: text}} of every RT_STRING block, [problems with the blocks])."""
    tables = {}
    problems = []
    for block, languages in types.get(RT_STRING, {}).items():
        for language, data in languages.items():
            entries, found = string_block_entries(block, data, language)
            tables.setdefault(language, {}).update(entries)
            problems += found
    return tables, problems


def version_text(ms, ls):
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def version_info(pe):
    """The VersionInfo of the image, or None when it has no version resource."""
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        return None
    fixed = fixed[0]
    tables = {}
    translations = []
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                tables[table.LangID.decode("ascii").upper()] = {
                    key.decode("utf-8"): value.decode("utf-8")
                    for key, value in table.entries.items()}
            for var in getattr(entry, "Var", []):
                if b"Translation" in var.entry:
                    words = var.entry[b"Translation"].split()
                    translations.append(tuple(int(word, 16) for word in words))
    return VersionInfo(version_text(fixed.FileVersionMS, fixed.FileVersionLS),
                       version_text(fixed.ProductVersionMS, fixed.ProductVersionLS),
                       tables, translations)


if __name__ == "__main__":
    # For the shell scripts: "paths <payload.txt>" prints each row's path,
    # "rows <payload.txt>" each row as "set rcdata-id name-id path",
    # "name-ids <payload.txt>" each file-name string id, "define <NAME>" the
    # value of one of the installer's shared definitions.
    if len(sys.argv) == 3 and sys.argv[1] == "define" and sys.argv[2] in DEFINITIONS:
        print(DEFINITIONS[sys.argv[2]])
        sys.exit(0)
    if len(sys.argv) != 3 or sys.argv[1] not in ("paths", "rows", "name-ids"):
        sys.exit("usage: pe_resources.py paths|rows|name-ids <payload.txt> | define <NAME>")
    try:
        payload_rows = read_payload_rows(sys.argv[2])
        if sys.argv[1] == "name-ids":
            lines = [str(name_id) for name_id in file_name_ids(payload_rows)]
        elif sys.argv[1] == "paths":
            lines = [row.path for row in payload_rows]
        else:
            lines = [f"{row.set} {row.rcdata_id} {row.name_id} {row.path}" for row in payload_rows]
        for line in lines:
            print(line)
    except (OSError, InputError) as error:
        sys.exit(f"pe_resources.py: {error}")
