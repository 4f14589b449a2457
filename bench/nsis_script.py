#!/usr/bin/env python3
"""Writes the script of the comparison installer: an NSIS installer that
does what the quiet install does, for the same tree.

It stores the install set's files uncompressed (no CRC check of its own
image, silent), removes a tree left in its folder, extracts the tree into
TEMP under the name given, starts setup.exe from it and waits for it to end,
then removes the tree. Like the bootstrapper it sets no file times. It ends
with exit code 3 when setup.exe could not be started or the tree is still
there afterwards.

usage: nsis_script.py --manifest payload.txt --payload <folder> --out-file <exe>
                      [--tree-name NAME] <script.nsi>
"""
import argparse
import os
import sys

from make_payload import SETUP, read_manifest

DEFAULT_TREE = "QuillaneBenchTree"


def nsis_text(text):
    """text inside an NSIS double-quoted string."""
    if '"' in text or "\n" in text:
        raise ValueError("cannot quote for NSIS: " + text)
    return text.replace("$", "$$")


def script_text(install_paths, payload_dir, out_file, tree_name=DEFAULT_TREE):
    if SETUP not in install_paths:
        raise ValueError("the install set carries no " + SETUP)
    tree = "$TEMP\\" + nsis_text(tree_name)
    lines = [
        "; The comparison installer of bench/unpack.sh, written by bench/nsis_script.py.",
        "Unicode true",
        'Name "Quillane unpack benchmark"',
        f'OutFile "{nsis_text(out_file)}"',
        "RequestExecutionLevel admin",
        "SetCompress off",
        "CRCCheck off",
        "SilentInstall silent",
        "SetDateSave off",
        "",
        "Section",
        f'  RMDir /r "{tree}"',
    ]
    folder = None
    # The manifest's order, one SetOutPath whenever the folder changes.
    for relative in install_paths:
        parent = os.path.dirname(relative)
        if parent != folder:
            folder = parent
            target = tree + ("\\" + nsis_text(parent.replace("/", "\\")) if parent else "")
            lines.append(f'  SetOutPath "{target}"')
        source = os.path.abspath(os.path.join(payload_dir, relative))
        lines.append(f'  File "{nsis_text(source)}"')
    lines += [
        '  SetOutPath "$TEMP"',
        "  ClearErrors",
        f"  ExecWait '\"{tree}\\{SETUP}\"' $0",
        "  IfErrors failed",
        f'  RMDir /r "{tree}"',
        f'  IfFileExists "{tree}\\*.*" failed',
        "  Return",
        "failed:",
        "  SetErrorLevel 3",
        "SectionEnd",
        "",
    ]
    return "\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--payload", required=True)
    parser.add_argument("--out-file", required=True)
    parser.add_argument("--tree-name", default=DEFAULT_TREE)
    parser.add_argument("script")
    args = parser.parse_args(argv)
    install = [path for set_name, path in read_manifest(args.manifest) if set_name == "install"]
    with open(args.script, "w", encoding="utf-8") as out:
        out.write(script_text(install, args.payload, args.out_file, args.tree_name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
