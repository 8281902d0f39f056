# Sourced by the other scripts: shared build settings.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/isora-ccache}"
export CCACHE_BASEDIR="$ROOT"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
JOBS="${JOBS:-$(nproc)}"

# The title menu as the native build draws it, pointer at 320,195, into DIR/menu.bmp: what a
# window started with no arguments must come to show (scripts/window-shows).
native_menu_frame() {
  local dir="$1"
  mkdir -p "$dir/save"
  (cd "$dir" && "$ROOT/build/release/src/isora" --headless --data "$ROOT/build/release/demo" \
    --save-dir "$dir/save" --replay "$ROOT/tests/web/replays/menu_and_town.replay") \
    >"$dir/native.out" 2>&1 && [ -f "$dir/menu.bmp" ] ||
    { cat "$dir/native.out" >&2; echo "no native menu frame in $dir" >&2; return 1; }
}
