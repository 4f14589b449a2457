#!/usr/bin/env bash
# Checks the pictures of the error box that scripts/docs/screenshots.sh writes:
# exactly the eight error-box-{102,1001}-{en,ja,zh-CN,zh-TW}.png, no two the
# same, each an 8-bit RGB PNG of at most 64 KiB cropped to one box as Wine
# draws it: box-sized, Wine's caption colour (active or inactive) in the
# title bar, button face at the bottom, the red error icon, dark text beside
# it. In the Japanese and Chinese pictures that text must be anti-aliased, as
# Wine draws the Noto CJK faces: the empty boxes it draws for CJK characters
# when it has no font for them are pure black.
# The checker must also refuse a copy of the folder with one picture copied
# over another, and one with a picture's text made black and white.
# usage: screenshots_test.sh [folder]   (default: docs/ of this checkout)
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
folder=$(cd "${1:-$(dirname "$0")/../../docs}" && pwd)
make_scratch screenshots-test

cat > "$work/pictures.py" <<'EOF'
import os, sys
from PIL import Image  # python3-pil

def read_png(path):  # (width, height, rows of (r, g, b)); 8-bit RGB only
    with Image.open(path) as picture:
        assert picture.format == "PNG", "not a PNG"
        assert picture.mode == "RGB" and not picture.info.get("interlace"), \
            "not 8-bit RGB without interlace"
        width, height = picture.size
        pixels = list(picture.getdata())
    return width, height, [pixels[y * width:(y + 1) * width] for y in range(height)]

def problems(path, language):
    width, height, rows = read_png(path)
    if os.path.getsize(path) > 64 * 1024 or not (100 <= width <= 400 and 80 <= height <= 180):
        return ["%dx%d, %d bytes: not a box" % (width, height, os.path.getsize(path))]
    common = lambda pixels: max(set(pixels), key=pixels.count)
    text = [p for row in rows[25:height - 45] for p in row[50:width - 5]]
    red = sum(1 for row in rows[25:65] for r, g, b in row[5:50] if r > 180 and g < 90 and b < 90)
    grey = sum(1 for p in text if 110 <= max(p) < 200 and max(p) - min(p) < 30)
    return [what for what, bad in [
        ("no title bar", common(rows[10][5:width - 25]) not in {(128, 128, 128), (50, 150, 250)}),
        ("no button face at the bottom", common(rows[height - 6][5:width - 5]) != (245, 245, 245)),
        ("no error icon", red < 50),
        ("no text", sum(1 for p in text if max(p) < 160) < 30),
        ("CJK text not anti-aliased (%d grey pixels): empty boxes?" % grey, language != "en" and grey < 60),
    ] if bad]

folder, failures, seen = sys.argv[1], [], {}
expected = {"error-box-%s-%s.png" % (c, l): l for c in ("102", "1001") for l in ("en", "ja", "zh-CN", "zh-TW")}
failures += ["%s: not one of the eight" % n for n in sorted(os.listdir(folder))
             if n.startswith("error-box-") and n not in expected]
for name, language in sorted(expected.items()):
    path = os.path.join(folder, name)
    if not os.path.isfile(path):
        failures.append(name + ": missing")
        continue
    try:
        failures += ["%s: %s" % (name, p) for p in problems(path, language)]
    except (AssertionError, OSError) as error:
        failures.append("%s: unreadable: %s" % (name, error))
    seen.setdefault(open(path, "rb").read(), []).append(name)
failures += ["the same picture: " + ", ".join(n) for n in seen.values() if len(n) > 1]
for f in failures: print("FAIL " + f)
sys.exit(1 if failures else 0)
EOF

/usr/bin/python3 "$work/pictures.py" "$folder" || fail "the pictures in $folder"
echo "ok: the eight pictures in $folder"

# refused <case> <the one failure>: the checker refuses the copy $work/<case>.
refused() {
  local status=0
  /usr/bin/python3 "$work/pictures.py" "$work/$1" > "$work/$1.log" 2>&1 || status=$?
  if [ "$status" -ne 1 ] || [ "$(grep -c '^FAIL' "$work/$1.log")" -ne 1 ] ||
     ! grep -qF -- "$2" "$work/$1.log"; then
    fail "$1: exit status $status, not only '$2': $(cat "$work/$1.log")"
  fi
  echo "ok: $1 is refused"
}

cp -r "$folder" "$work/copied"
cp "$folder/error-box-1001-zh-CN.png" "$work/copied/error-box-1001-zh-TW.png"
refused copied "the same picture: error-box-1001-zh-CN.png, error-box-1001-zh-TW.png"

# The same picture with its text area black where it was darker than 200,
# else the button face.
cp -r "$folder" "$work/two-tone"
/usr/bin/python3 - "$work/two-tone/error-box-1001-zh-TW.png" <<'EOF'
import sys
from PIL import Image
with Image.open(sys.argv[1]) as picture:
    picture.load()
width, height = picture.size
for y in range(25, height - 45):
    for x in range(50, width - 5):
        pixel = picture.getpixel((x, y))
        picture.putpixel((x, y), (0, 0, 0) if max(pixel) < 200 else (245, 245, 245))
picture.save(sys.argv[1])
EOF
refused two-tone "error-box-1001-zh-TW.png: CJK text not anti-aliased"
