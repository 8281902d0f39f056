# Sourced by the Windows scripts: where the cross-build's caches live, and a Wine that runs
# headless (no display, no debug chatter, no installer dialogs) in a prefix of its own.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/env.sh"
ISORA_WINDOWS_CACHE="${ISORA_WINDOWS_CACHE:-$HOME/.cache/isora-windows}"
export ISORA_WINDOWS_PREFIX="$ISORA_WINDOWS_CACHE/prefix"
export WINEPREFIX="${ISORA_WINEPREFIX:-$ISORA_WINDOWS_CACHE/wine}"
export WINEDEBUG=-all
# No Mono or Gecko: they would be offered for download on the prefix's first start.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
DIST="$ROOT/build/windows-dist"

# The Windows form of a Unix path, through Wine's Z: drive.
winpath() {
  local p
  p="$(realpath -m "$1")"
  printf 'Z:%s' "${p//\//\\}"
}

# Creates the Wine prefix once and gives it the face the Linux build draws text with, so that
# the Windows build, which looks in the system's fonts folder, finds the same one.
wine_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "windows: cannot create the Wine prefix $WINEPREFIX" >&2
    return 1
  fi
  local font
  font="$(fc-match -f '%{file}' 'Segoe UI:lang=zh-cn' 2>/dev/null || true)"
  if [ -n "$font" ] && [ -f "$font" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cmp -s "$font" "$WINEPREFIX/drive_c/windows/Fonts/$(basename "$font")" ||
      cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
}

# Runs a Windows program; its exit code is the program's.
winrun() {
  wine "$@"
}
