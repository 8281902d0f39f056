# Sourced by the other scripts: shared build settings.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/isora-ccache}"
export CCACHE_BASEDIR="$ROOT"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
JOBS="${JOBS:-$(nproc)}"
