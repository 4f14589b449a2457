#!/usr/bin/env bash
# Takes the pictures of the installer's error box for the documentation:
#   scripts/docs/screenshots.sh [output folder]        (default: docs/)
# writes error-box-<code>-<lang>.png for the codes 102 (this Windows version
# is not supported) and 1001 (installation failed) in en, ja, zh-CN and zh-TW,
# each cropped to the box, from real runs of the shipping 32-bit
# build/win32/QuillaneSetup.exe (QUILLANE_SETUP names another file) started
# with no arguments under Wine on a private Xvfb display.
#
# How each box is brought about:
#   102   Wine's per-program Windows version of the installer is "nt40".
#   1001  TMP and TEMP name a file, so the run cannot make its working folder.
# The language is the user's default language, which Wine takes from LC_ALL.
# The box is found as the viewable X window of that process (its
# _NET_WM_PID) with the program's caption, pictured once two pictures in a
# row are the same, and the run is then ended. The pictures show the box as
# Wine lays it out: sized to its text and button only, so where those are
# short (1001 in Chinese) the caption is cut at the close button.
#
# Needs, besides what scripts/setup/install-deps.sh installs: imagemagick (import),
# x11-utils (xwininfo, xprop) and fonts-noto-cjk; missing ones are installed
# with apt-get (through sudo when not root), or named if that fails.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
top=$(dirname "$(dirname "$here")")

caption=$(/usr/bin/python3 "$top/scripts/release/pe_resources.py" define QUILLANE_CAPTION)
readonly caption
readonly languages=(en ja zh-CN zh-TW)

# The Windows UI fonts of the three CJK languages, which Wine's dialog and
# caption fonts and Tahoma's font links name. Wine has none of them and draws
# empty boxes for CJK characters, so each run maps all three to the Noto CJK
# face of its own language (with that language's glyph shapes).
readonly cjk_ui_fonts=("MS UI Gothic" "SimSun" "PMingLiU")

locale_of() {
  case "$1" in
    en) echo en_US.UTF-8 ;; ja) echo ja_JP.UTF-8 ;;
    zh-CN) echo zh_CN.UTF-8 ;; zh-TW) echo zh_TW.UTF-8 ;;
  esac
}

noto_face_of() {
  case "$1" in
    ja) echo "Noto Sans CJK JP" ;; zh-CN) echo "Noto Sans CJK SC" ;; zh-TW) echo "Noto Sans CJK TC" ;;
    *) echo "" ;;
  esac
}

say() { echo "screenshots: $*" >&2; }

# ---------------------------------------------------------------------------
# Outside the Wine session: check the inputs and the tools, then start one.
if [ -z "${QUILLANE_IN_SCREENSHOTS:-}" ]; then
  installer=$(readlink -f "${QUILLANE_SETUP:-$top/build/win32/QuillaneSetup.exe}")
  if [ ! -f "$installer" ]; then
    say "no installer at $installer; build it first:"
    say "  cmake --preset win32 && cmake --build --preset win32"
    exit 1
  fi
  out=$(readlink -f "${1:-$top/docs}")
  mkdir -p "$out"

  missing=()
  command -v import >/dev/null || missing+=(imagemagick)
  { command -v xwininfo >/dev/null && command -v xprop >/dev/null; } || missing+=(x11-utils)
  fc-list : family 2>/dev/null | grep "Noto Sans CJK" >/dev/null || missing+=(fonts-noto-cjk)
  if ! command -v xvfb-run >/dev/null || [ ! -x /usr/lib/wine/wine ]; then
    say "Wine or Xvfb is missing: run scripts/setup/install-deps.sh first"
    exit 1
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    { "${sudo[@]}" apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"; } >&2 ||
      { say "could not install them; please install: ${missing[*]}"; exit 1; }
  fi

  started=$SECONDS status=0
  QUILLANE_IN_SCREENSHOTS=1 QUILLANE_WINE=/usr/lib/wine/wine QUILLANE_SETUP="$installer" \
    "$top/scripts/wine/wine-session.sh" "$0" "$out" || status=$?
  if [ "$status" -eq 0 ]; then say "done in $((SECONDS - started)) s"; else say "failed"; fi
  exit "$status"
fi

# ---------------------------------------------------------------------------
# Inside the session (scripts/wine/wine-session.sh): DISPLAY, WINEPREFIX and the
# 32-bit loader QUILLANE_WINE are set, all windows on one virtual desktop.
out=$1
installer=$QUILLANE_SETUP
wine64="$(dirname "$QUILLANE_WINE")/wine64"
work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-shots.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Wine's own Tahoma (the message and caption font) and Marlett (the caption
# buttons) are not in the fresh prefix's font folder; without them the box
# falls back to whatever font is near and the close button reads "r".
wine_fonts=/usr/share/wine/fonts
if [ -f "$wine_fonts/tahoma.ttf" ]; then
  cp "$wine_fonts"/{tahoma.ttf,tahomabd.ttf,marlett.ttf} "$WINEPREFIX/drive_c/windows/Fonts/"
else
  say "no $wine_fonts/tahoma.ttf (package fonts-wine): the box is drawn with other fonts"
fi

# The file that TMP and TEMP name for the 1001 runs.
mkdir -p "$WINEPREFIX/drive_c/quillane-shots"
printf x > "$WINEPREFIX/drive_c/quillane-shots/not-a-folder"
readonly not_a_folder='C:\\quillane-shots\\not-a-folder'

# The registry settings of one run, as a REGEDIT4 file: the font replacements
# of its language, the program's Windows version, and the temporary folder.
write_settings() {  # code language file
  local code=$1 language=$2 face font
  face=$(noto_face_of "$language")
  {
    echo REGEDIT4
    echo
    echo '[-HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    if [ -n "$face" ]; then
      for font in "${cjk_ui_fonts[@]}"; do echo "\"$font\"=\"$face\""; done
    fi
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\$(basename "$installer")]"
    if [ "$code" = 102 ]; then echo '"Version"="nt40"'; else echo '"Version"=-'; fi
    if [ "$code" = 1001 ]; then
      echo
      echo '[HKEY_CURRENT_USER\Environment]'
      echo "\"TEMP\"=\"$not_a_folder\""
      echo "\"TMP\"=\"$not_a_folder\""
    fi
  } >"$3"
}

# The viewable X window of process `pid` that carries the caption, as
# "id width height x y"; nothing while there is none.
find_box() {
  local pid=$1 id info
  for id in $(xwininfo -root -tree | grep -F "\"$caption\"" | awk '{print $1}'); do
    xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -q "= $pid\$" || continue
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q "Map State: IsViewable" <<<"$info" || continue
    echo "$id $(awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2}
                      /Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                      END {print w, h, x, y}' <<<"$info")"
    return 0
  done
  return 1
}

# Takes the picture of the box of the run `pid` into `file`: waits for the
# box, then for two pictures in a row that are the same (fully drawn).
picture_box() {  # pid file
  local pid=$1 file=$2 box="" id w h x y
  for _ in $(seq 1 120); do
    if ! kill -0 "$pid" 2>/dev/null; then
      local status=0
      wait "$pid" || status=$?
      say "the installer ended without showing its box (exit status $status, its code's low 8 bits)"
      return 1
    fi
    box=$(find_box "$pid") && break
    sleep 0.5
  done
  [ -n "$box" ] || { say "no box after 60 s"; return 1; }
  read -r id w h x y <<<"$box"
  for _ in $(seq 1 40); do
    sleep 0.25
    import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip \
      -define png:exclude-chunks=date,time "PNG24:$work/now.png"
    if [ -f "$work/before.png" ] && cmp -s "$work/now.png" "$work/before.png"; then
      mv "$work/now.png" "$file"
      rm -f "$work/before.png"
      return 0
    fi
    mv "$work/now.png" "$work/before.png"
  done
  say "the box did not settle"
  return 1
}

# The settings file as Wine names it (drive Z: is the Unix root).
settings="Z:${work//\//\\}\\settings.reg"
# All 102 runs come first: the 1001 runs leave TMP and TEMP on the file.
failed=0
for code in 102 1001; do
  for language in "${languages[@]}"; do
    write_settings "$code" "$language" "$work/settings.reg"
    "$wine64" regedit /S "$settings" >/dev/null 2>&1
    file="$out/error-box-$code-$language.png"
    LC_ALL=$(locale_of "$language") "$QUILLANE_WINE" "$installer" >"$work/run.log" 2>&1 &
    pid=$!
    if picture_box "$pid" "$file"; then
      say "$(basename "$file"): $(identify -format '%wx%h' "$file"), $(stat -c %s "$file") bytes"
    else
      say "no picture for $code in $language"
      failed=1
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
done
exit "$failed"
