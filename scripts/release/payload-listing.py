#!/usr/bin/python3
"""Lists what a built installer carries, as plain text for a person to read
and for diff to compare: each RCDATA resource (language, size, SHA-256 and
where the installer writes it below the working root), the file names of
both string tables, the version resource and the application manifest.

usage: payload-listing.py <installer.exe> [--manifest payload.txt] [--check <payload folder>]

The place a file lands is its payload.txt folder and the text of its
file-name string in the image's own 1033 table. With --check the listing
ends with a comparison against a payload folder: every file payload.txt
names must be in the folder, carried under language 1033 with the same
bytes and land where the folder has it; no RCDATA may be carried that
payload.txt does not name. Files in the folder that payload.txt does not
name are not looked at. Each difference is printed on a line starting with
"difference:". Exit code 0 when there is none (or no --check), 1 when there
is any, 2 when an input cannot be read.
"""

import argparse
import hashlib
import os
import sys

sys.dont_write_bytecode = True
import pe_resources as pr  # noqa: E402  (beside this script)

DEFAULT_MANIFEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "Packager", "res", "payload.txt")


def shown(text):
    """A text on one line: what cannot be seen (control characters and the like) escaped."""
    return "".join(ch if ch.isprintable() else ch.encode("unicode_escape").decode("ascii")
                   for ch in text)


def quoted(text):
    return "(absent)" if text is None else '"' + shown(text).replace('"', '\\"') + '"'


def file_name(strings, name_id):
    """The 1033 text of a file-name string, or a marker naming the absent id."""
    text = strings.get(pr.ENGLISH, {}).get(name_id)
    return f"<string {name_id} absent>" if text is None else shown(text)


def rows_by_id(rows):
    by_id = {}
    for row in rows:
        by_id.setdefault(row.rcdata_id, []).append(row)
    return by_id


def windows_path(row):
    return row.path.replace("/", "\\")


# ---------------------------------------------------------------- listing

def list_installer(path, image_bytes, strings):
    print(f"Installer: {path}")
    print(f"Size: {len(image_bytes)} bytes")
    print(f"SHA-256: {hashlib.sha256(image_bytes).hexdigest()}")
    root = strings.get(pr.ENGLISH, {}).get(pr.PRODUCT_CODE_ID)
    root = "(absent)" if root is None else shown(root) + "\\"
    print(f"Working root: {root} (string {pr.PRODUCT_CODE_ID}, language {pr.ENGLISH})")


def list_rcdata(types, rows, strings):
    carried = pr.rcdata(types)
    by_id = rows_by_id(rows)
    print()
    print(f"== RCDATA: {sum(len(v) for v in carried.values())} resources under "
          f"{len(carried)} ids; payload.txt: {len(rows)} rows")
    print(f"{'id':<5} {'lang':<5} {'set':<7} {'bytes':>9}  {'sha256':<64}  "
          f"lands at (below the working root)")
    for rcdata_id in sorted(set(carried) | set(by_id), key=lambda i: (isinstance(i, str), i)):
        languages = carried.get(rcdata_id, {})
        for row in by_id.get(rcdata_id, [None]):
            if row is None:
                place, set_name = "(payload.txt has no row for it)", "-"
            else:
                place = pr.landing_path(row, file_name(strings, row.name_id))
                if place != windows_path(row):
                    place += f"  (payload.txt: {row.path})"
                set_name = row.set
            if not languages:
                print(f"{rcdata_id:<5} {'-':<5} {set_name:<7} {'-':>9}  {'-':<64}  "
                      f"{place}  (not carried)")
            for language, data in sorted(languages.items()):
                print(f"{rcdata_id:<5} {language:<5} {set_name:<7} {len(data):>9}  "
                      f"{hashlib.sha256(data).hexdigest()}  {place}")


def list_strings(strings, problems, rows):
    english = strings.get(pr.ENGLISH, {})
    japanese = strings.get(pr.JAPANESE, {})
    name_ids = pr.file_name_ids(rows)
    print()
    print(f"== String tables: file names, {len(name_ids)} ids of payload.txt and the working "
          f"root, languages {pr.ENGLISH} and {pr.JAPANESE}")
    differing = 0
    for string_id in name_ids:
        first, second = english.get(string_id), japanese.get(string_id)
        if first == second:
            print(f"{string_id:<5} {quoted(first) if first is None else shown(first)}")
        else:
            differing += 1
            print(f"{string_id:<5} DIFFERS  {pr.ENGLISH}: {quoted(first)}  "
                  f"{pr.JAPANESE}: {quoted(second)}")
    for problem in problems:
        print(f"unreadable: {problem}")
    if differing:
        print(f"{differing} of {len(name_ids)} ids differ between {pr.ENGLISH} and "
              f"{pr.JAPANESE}")
    else:
        print(f"all {len(name_ids)} ids read the same in {pr.ENGLISH} and {pr.JAPANESE}")


def list_version(pe):
    print()
    print("== Version")
    version = pr.version_info(pe)
    if not version:
        print("(no version resource)")
        return
    print(f"fixed file version: {'.'.join(map(str, version.file_version))}")
    print(f"fixed product version: {'.'.join(map(str, version.product_version))}")
    for block, table in version.string_tables.items():
        print(f"StringFileInfo {block}:")
        for key, value in table.items():
            print(f"  {shown(key)}: {shown(value)}")
    for language, codepage in version.translations:
        print(f"Translation: {language:#06x} {codepage}")


def list_manifest(types):
    print()
    languages = pr.manifests(types)
    if not languages:
        print("== Manifest")
        print("(no RT_MANIFEST resource 1)")
    for language, data in sorted(languages.items()):
        print(f"== Manifest (RT_MANIFEST 1, language {language}, {len(data)} bytes)")
        text = data.decode("utf-8-sig", errors="replace")
        for line in text.splitlines():
            print(line.rstrip("\r"))


# ---------------------------------------------------------------- check

def check_payload(folder, types, rows, strings):
    """The differences between what the image carries and the payload folder."""
    differences = []
    carried = pr.rcdata(types)
    by_id = rows_by_id(rows)
    for rcdata_id, listed in sorted(by_id.items()):
        if len(listed) > 1:
            differences.append(f"payload.txt lists RCDATA {rcdata_id} {len(listed)} times")
    for rcdata_id in sorted(set(carried) - set(by_id), key=str):
        differences.append(f"RCDATA {rcdata_id} is carried but payload.txt has no row for it")
    for row in rows:
        languages = carried.get(row.rcdata_id)
        if not languages:
            differences.append(f"RCDATA {row.rcdata_id} ({row.path}) is not carried")
        elif set(languages) != {pr.ENGLISH}:
            differences.append(f"RCDATA {row.rcdata_id} ({row.path}) is carried under languages "
                               f"{sorted(languages)}, not only {pr.ENGLISH}")
        place = pr.landing_path(row, file_name(strings, row.name_id))
        if place != windows_path(row):
            differences.append(f"RCDATA {row.rcdata_id} lands at {place}, the payload folder has "
                               f"it at {row.path}")
        full = os.path.join(folder, *row.path.split("/"))
        try:
            with open(full, "rb") as payload_file:
                expected = payload_file.read()
        except (FileNotFoundError, NotADirectoryError):
            differences.append(f"{row.path} (RCDATA {row.rcdata_id}) is missing from {folder}")
            continue
        except IsADirectoryError:
            differences.append(f"{row.path} (RCDATA {row.rcdata_id}) is a folder in {folder}")
            continue
        except OSError as error:
            raise pr.InputError(f"cannot read {full}: {error}") from error
        data = (languages or {}).get(pr.ENGLISH)
        if data is not None and data != expected:
            first = next((i for i, (a, b) in enumerate(zip(data, expected)) if a != b),
                         min(len(data), len(expected)))
            differences.append(f"RCDATA {row.rcdata_id} differs from {row.path}: {len(data)} "
                               f"bytes carried against {len(expected)} in the folder, first "
                               f"difference at byte {first}")
    return differences


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("installer")
    parser.add_argument("--manifest", default=DEFAULT_MANIFEST,
                        help="the payload manifest (default: Packager/res/payload.txt)")
    parser.add_argument("--check", metavar="FOLDER",
                        help="payload folder whose bytes the installer must carry")
    args = parser.parse_args()
    sys.stdout.reconfigure(errors="backslashreplace")

    try:
        if args.check is not None and not os.path.isdir(args.check):
            raise pr.InputError(f"{args.check} is not a folder")
        rows = pr.read_payload_rows(args.manifest)
        with open(args.installer, "rb") as image:
            image_bytes = image.read()
        pe = pr.open_image(args.installer, image_bytes)
        types = pr.resource_types(pe)
        strings, problems = pr.string_tables(types)

        list_installer(args.installer, image_bytes, strings)
        list_rcdata(types, rows, strings)
        list_strings(strings, problems, rows)
        list_version(pe)
        list_manifest(types)
        if args.check is None:
            return 0
        differences = check_payload(args.check, types, rows, strings)
    except BrokenPipeError:
        raise
    except (pr.InputError, OSError, UnicodeDecodeError) as error:
        sys.stdout.flush()
        print(f"payload-listing: error: {error}", file=sys.stderr)
        return 2

    print()
    print(f"== Check against {args.check}")
    for difference in differences:
        print(f"difference: {difference}")
    if differences:
        print(f"{len(differences)} differences")
        return 1
    total = sum(len(pr.rcdata(types)[row.rcdata_id][pr.ENGLISH]) for row in rows)
    print(f"no differences: {len(rows)} files, {total} bytes")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except BrokenPipeError:
        # The reader stopped early (as head does): no trace, and not a success.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        sys.exit(1)
