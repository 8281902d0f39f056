#!/usr/bin/env bash
# The web build's dependencies: Debian's emscripten and Chromium from apt, then SDL2, SDL2_mixer,
# FreeType and libjpeg-turbo built with emcc from Debian's own source packages.
#
# Source entries are derived from the machine's existing Debian apt sources (the same servers,
# Types: deb-src) into a file of its own under /etc/apt; nothing here names a server. Sources and
# builds are cached outside the clone (ISORA_WEB_CACHE, default ~/.cache/isora-web); a second run
# with the same source versions does nothing. Prints the install prefix on its last line.
set -euo pipefail

CACHE="${ISORA_WEB_CACHE:-$HOME/.cache/isora-web}"
SOURCES=(libsdl2 libsdl2-mixer freetype libjpeg-turbo)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

log() { echo "web-deps: $*" >&2; }

# --- Debian packages -------------------------------------------------------------------------
PACKAGES=(emscripten dpkg-dev cmake ninja-build chromium nodejs npm fonts-wqy-microhei
  fonts-dejavu-core python3)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# A node from elsewhere (nodesource) replaces Debian's nodejs/npm packages; it serves as well.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs/}")
  missing=("${missing[@]/npm/}")
fi
read -r -a missing <<<"${missing[*]}"
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >&2
fi

# --- Source entries --------------------------------------------------------------------------
# Deb822 stanzas of Debian's archives (signed by the Debian keyring or served from a debian
# path) turned into deb-src stanzas; one-line entries likewise.
DERIVED=/etc/apt/sources.list.d/isora-deb-src.sources
derive_sources() {
  python3 - "$@" <<'EOF'
import glob, re, sys
out = []
for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
    if path.endswith("isora-deb-src.sources"):
        continue
    for stanza in re.split(r"\n\s*\n", open(path).read()):
        lines = [l for l in stanza.splitlines() if l.strip() and not l.lstrip().startswith("#")]
        fields = {}
        for l in lines:
            if ":" in l and not l[0].isspace():
                k, v = l.split(":", 1)
                fields[k.strip().lower()] = v.strip()
        if "deb" not in fields.get("types", "").split():
            continue
        if fields.get("enabled", "yes").lower() == "no":
            continue
        debian = "debian-archive-keyring" in fields.get("signed-by", "") or \
            re.search(r"/debian(-security)?/?(\s|$)", fields.get("uris", "") + " ")
        if not debian:
            continue
        new = []
        for l in lines:
            if l.lower().startswith("types:"):
                new.append("Types: deb-src")
            else:
                new.append(l)
        out.append("\n".join(new))
for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
    try:
        text = open(path).read()
    except OSError:
        continue
    for l in text.splitlines():
        m = re.match(r"\s*deb\s+(\[[^\]]*\]\s+)?(\S+)\s+(\S+)\s*(.*)$", l)
        if not m or "debian" not in m.group(2):
            continue
        opts = m.group(1) or ""
        signed = re.search(r"signed-by=([^\s\]]+)", opts)
        out.append("Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s%s" % (
            m.group(2), m.group(3), m.group(4).split("#")[0].strip(),
            "\nSigned-By: " + signed.group(1) if signed else ""))
sys.stdout.write("\n\n".join(out) + ("\n" if out else ""))
EOF
}

have_src() { apt-cache showsrc libsdl2 2>/dev/null | grep -q '^Package: libsdl2'; }
if ! have_src; then
  derived="$(derive_sources)"
  if [ -z "$derived" ]; then
    log "no Debian apt source to derive source entries from"
    exit 1
  fi
  log "adding source entries ($DERIVED)"
  printf '%s' "$derived" | $SUDO tee "$DERIVED" >/dev/null
  $SUDO apt-get update -qq
  have_src || { log "apt has no source for libsdl2"; exit 1; }
fi

# --- Sources ---------------------------------------------------------------------------------
mkdir -p "$CACHE/src"
versions=""
for s in "${SOURCES[@]}"; do
  v="$(apt-cache showsrc "$s" | awk '/^Version:/ && !v {v = $2} END {print v}')"
  versions+="$s=$v "
  if [ ! -f "$CACHE/src/$s.dir" ] || [ "$(cat "$CACHE/src/$s.version" 2>/dev/null)" != "$v" ]; then
    log "fetching the source of $s $v"
    rm -rf "$CACHE/src/$s"
    mkdir -p "$CACHE/src/$s"
    (cd "$CACHE/src/$s" && apt-get source -qq "$s=$v" >&2)
    dir="$(find "$CACHE/src/$s" -mindepth 1 -maxdepth 1 -type d | head -1)"
    [ -n "$dir" ] || { log "apt-get source $s unpacked nothing"; exit 1; }
    echo "$dir" >"$CACHE/src/$s.dir"
    echo "$v" >"$CACHE/src/$s.version"
  fi
done

# --- Builds ----------------------------------------------------------------------------------
# One prefix per set of source versions and emscripten version; each library in it is rebuilt
# only when its own build options change.
emver="$(emcc --version | awk 'NR == 1 {print $NF == "()" ? $(NF-1) : $NF}')"
key="$(printf '%s %s' "$versions" "$emver" | sha1sum | cut -c1-12)"
PREFIX="$CACHE/prefix-$key"
mkdir -p "$PREFIX" "$CACHE/build"
# Debian's emscripten finds acorn where Debian's node does; a node from elsewhere needs the path.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
JOBS="${JOBS:-$(nproc)}"
# Configure checks that run a test program (type sizes) run it with node. This emscripten's
# output loads its wasm with fetch whenever fetch exists, which fails under node for a file path;
# emcmake's own node flag is refused by newer nodes.
CM=(emcmake cmake -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX"
  -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF
  "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch")

build() {  # build NAME SOURCE-PACKAGE CMAKE-ARGS...
  local name="$1" src stamp
  src="$(cat "$CACHE/src/$2.dir")"
  shift 2
  stamp="$(printf '%s\n' "$src" "$@" | sha1sum | cut -c1-12)"
  if [ "$(cat "$PREFIX/.built-$name" 2>/dev/null)" = "$stamp" ]; then return; fi
  log "building $name"
  local b="$CACHE/build/$name"
  rm -rf "$b"
  "${CM[@]}" -S "$src" -B "$b" "$@" >"$b.log" 2>&1 || { tail -40 "$b.log" >&2; exit 1; }
  nice -n 10 cmake --build "$b" -j "$JOBS" >>"$b.log" 2>&1 || { tail -40 "$b.log" >&2; exit 1; }
  cmake --install "$b" >>"$b.log" 2>&1 || { tail -40 "$b.log" >&2; exit 1; }
  echo "$stamp" >"$PREFIX/.built-$name"
  rm -rf "$b"
}

build sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF
build freetype freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
build jpeg libjpeg-turbo -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
build sdl2_mixer libsdl2-mixer -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF \
  -DSDL2MIXER_WAVE=ON -DSDL2_DIR="$PREFIX/lib/cmake/SDL2"
# SDL2_mixer installs a pkg-config file only for its shared library; the engine finds it by one.
cat >"$PREFIX/lib/pkgconfig/SDL2_mixer.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_mixer
Description: mixer library for Simple DirectMedia Layer (static, for emscripten)
Version: $(sed 's/[+-].*//' "$CACHE/src/libsdl2-mixer.version")
Requires: sdl2
Libs: -L\${libdir} -lSDL2_mixer
Cflags: -I\${includedir}/SDL2
PC
touch "$PREFIX/.done"
echo "$PREFIX"
