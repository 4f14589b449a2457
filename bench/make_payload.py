#!/usr/bin/env python3
"""Writes a benchmark payload folder laid out as the installer's payload
folder: every file that Packager/res/payload.txt lists, below the folder.

Two kinds of payload:
  --scale N    full-size files of pseudo-random bytes from a fixed seed, the
               sizes of SIZES times N (about 19 MB in all at N = 1, the
               largest 5.5 MB), so runs on different days are comparable;
  --one-byte   one byte in every file, the installer's own cost without
               its payload.
setup.exe is, in both, a copy of the real program given by --setup: the
installers start it, so it must run and end.

A folder already written with the same parameters (seed, scale, setup.exe's
bytes, this generator) is left as it is, so a build from it is not redone.

usage: make_payload.py --manifest payload.txt --setup quick_setup.exe
                       (--scale N | --one-byte) [--seed S] <folder>
       make_payload.py --manifest payload.txt --list-install
"""
import argparse
import hashlib
import os
import random
import shutil
import sys

# The one reader of payload.txt, beside the release scripts.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "release"))
import pe_resources  # noqa: E402

SETUP = "setup.exe"
STAMP = ".bench-payload"
DEFAULT_SEED = 20240611

# Bytes of the carried files at scale 1 (setup.exe excepted: the real
# program's own size). A release's files, rounded: two cabinets, four
# manuals, the driver-package installers, drivers and small texts. A file
# that payload.txt carries and this table does not know is a small text.
DEFAULT_SIZE = 4_000
SIZES = {
    "data1.cab": 5_500_000,
    "data1.hdr": 24_000,
    "data2.cab": 3_110_000,
    "ISSetup.dll": 620_000,
    "layout.bin": 600,
    "setup.ini": 2_000,
    "setup.inx": 280_000,
    "0x0409.ini": 22_000,
    "0x0411.ini": 18_000,
    "0x0804.ini": 16_000,
    "0x0404.ini": 16_000,
    "kpusb/readme_e.txt": 3_000,
    "kpusb/readme_j.txt": 3_500,
    "kpusb/Setup.exe": 450_000,
    "kpusb/KPUSB64/DPInst.exe": 1_060_000,
    "kpusb/KPUSB64/dpinst.xml": 1_500,
    "kpusb/KPUSB64/licenseE.txt": 9_000,
    "kpusb/KPUSB64/licenseJ.txt": 10_000,
    "kpusb/KPUSB64/kpusb64.cat": 11_000,
    "kpusb/KPUSB64/KPUSB64.INF": 6_000,
    "kpusb/KPUSB64/kpusb64.sys": 85_000,
    "kpusb/KPUSBXP/DPInst.exe": 920_000,
    "kpusb/KPUSBXP/dpinst.xml": 1_500,
    "kpusb/KPUSBXP/licenseE.txt": 9_000,
    "kpusb/KPUSBXP/licenseJ.txt": 10_000,
    "kpusb/KPUSBXP/kpusbxp.cat": 10_000,
    "kpusb/KPUSBXP/KPUSB90.INF": 6_000,
    "kpusb/KPUSBXP/kpusbxp.sys": 70_000,
    "kpcomusb/x64/VrnCe.sys": 60_000,
    "kpcomusb/x86/VrnCe.sys": 50_000,
    "manual/EN/ReadMeE.txt": 4_000,
    "manual/EN/Quillane_User'sManual.pdf": 1_550_000,
    "manual/JA/ReadMeJ.txt": 4_500,
    "manual/JA/Quillane_User'sManual.pdf": 1_700_000,
    "manual/SC/ReadMeE.txt": 4_000,
    "manual/SC/Quillane_User'sManual.pdf": 1_450_000,
    "manual/TC/ReadMeE.txt": 4_000,
    "manual/TC/Quillane_User'sManual.pdf": 1_450_000,
    "VRESetup32.exe": 300_000,
    "VRESetup64.exe": 360_000,
    "KPCOMUSBCLN.dll": 90_000,
}


def read_manifest(path):
    """The manifest's rows as (set, path) pairs, in its order."""
    return [(row.set, row.path) for row in pe_resources.read_payload_rows(path)]


def file_bytes(relative, size, seed):
    """size pseudo-random bytes, the same for the same path and seed."""
    return random.Random(f"{seed}:{relative}").randbytes(size)


def stamp_text(manifest_rows, setup_bytes, scale, one_byte, seed):
    with open(__file__, "rb") as own:
        generator = hashlib.sha256(own.read()).hexdigest()
    paths = ",".join(path for _, path in manifest_rows)
    return (f"generator={generator}\nseed={seed}\nscale={scale}\none-byte={int(one_byte)}\n"
            f"setup={hashlib.sha256(setup_bytes).hexdigest()}\n"
            f"paths={hashlib.sha256(paths.encode()).hexdigest()}\n")


def write_payload(folder, manifest_rows, setup_path, scale=1, one_byte=False, seed=DEFAULT_SEED):
    """Writes the folder; answers True when it wrote, False when the folder
    already held this payload."""
    paths = [path for _, path in manifest_rows]
    if SETUP not in paths:
        raise ValueError("the manifest carries no " + SETUP)
    with open(setup_path, "rb") as setup:
        setup_bytes = setup.read()
    stamp = stamp_text(manifest_rows, setup_bytes, scale, one_byte, seed)
    stamp_path = os.path.join(folder, STAMP)
    if os.path.isfile(stamp_path):
        with open(stamp_path, encoding="utf-8") as old:
            if old.read() == stamp and all(os.path.isfile(os.path.join(folder, p)) for p in paths):
                return False
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    for relative in paths:
        target = os.path.join(folder, relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if relative == SETUP:
            data = setup_bytes
        elif one_byte:
            data = b"x"
        else:
            data = file_bytes(relative, SIZES.get(relative, DEFAULT_SIZE) * scale, seed)
        with open(target, "wb") as out:
            out.write(data)
    with open(stamp_path, "w", encoding="utf-8") as out:
        out.write(stamp)
    return True


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--setup")
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--one-byte", action="store_true")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--list-install", action="store_true",
                        help="print the paths that the install set unpacks, one a line")
    parser.add_argument("folder", nargs="?")
    args = parser.parse_args(argv)
    rows = read_manifest(args.manifest)
    if args.list_install:
        for set_name, path in rows:
            if set_name == "install":
                print(path)
        return 0
    if not args.folder or not args.setup or args.scale < 1:
        parser.error("a folder, --setup and a scale of at least 1 are needed")
    wrote = write_payload(args.folder, rows, args.setup, args.scale, args.one_byte, args.seed)
    total = sum(os.path.getsize(os.path.join(args.folder, p)) for _, p in rows)
    print(f"{args.folder}: {len(rows)} files, {total} bytes"
          f"{'' if wrote else ' (already there)'}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
