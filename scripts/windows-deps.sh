#!/usr/bin/env bash
# Builds the platform libraries of the Windows build (zlib, libjpeg-turbo, FreeType, SDL2,
# SDL2_mixer) with mingw-w64 from Debian's own source packages, static, into a cached prefix
# outside the clone. A second run with the same recipe returns at once.
#
#   ISORA_WINDOWS_CACHE   cache folder (default ~/.cache/isora-windows); the prefix is <cache>/prefix
#   ISORA_WINDOWS_REBUILD=1  rebuild even when the cached prefix matches
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CACHE="${ISORA_WINDOWS_CACHE:-$HOME/.cache/isora-windows}"
PREFIX="$CACHE/prefix"
SRC="$CACHE/src"
HOST=x86_64-w64-mingw32
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
JOBS="${JOBS:-$(nproc)}"
SOURCES=(zlib libjpeg-turbo freetype libsdl2 libsdl2-mixer)
# Each source is taken at the version of the Linux package the native build links, so both
# builds run the same library code.
declare -A LINUX_PACKAGE=(
  [zlib]=zlib1g-dev [libjpeg-turbo]=libjpeg62-turbo-dev [freetype]=libfreetype-dev
  [libsdl2]=libsdl2-dev [libsdl2-mixer]=libsdl2-mixer-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

# Host tools: the cross compilers, Wine for the check, and what unpacks and builds the sources.
PACKAGES=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64 zip dpkg-dev cmake ninja-build make pkg-config
  nlohmann-json3-dev xz-utils
  zlib1g-dev libjpeg62-turbo-dev libfreetype-dev libsdl2-dev libsdl2-mixer-dev
)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
apt_updated=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "windows-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  apt_updated=1
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The recipe: this script, the toolchain file and the compiler. A change to any rebuilds.
recipe="$(cat "$0" "$TOOLCHAIN" | sha256sum | cut -c1-16)-$($HOST-gcc-posix -dumpversion)"
stamp="$PREFIX/.isora-recipe"
if [ "${ISORA_WINDOWS_REBUILD:-0}" != 1 ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi

# Source entries: derived from the machine's own Debian entries (same servers, suites,
# components and keys), so nothing here names a server.
enable_deb_src() {
  local out=/etc/apt/sources.list.d/isora-deb-src.sources
  local derived
  derived="$(
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && [ "$f" != "$out" ] || continue
      awk '
        function flush() {
          if (n > 0 && isdeb && isdebian && enabled) {
            for (i = 1; i <= n; i++) print lines[i]
            print ""
          }
          n = 0; isdeb = 0; isdebian = 0; enabled = 1
        }
        BEGIN { n = 0; isdeb = 0; isdebian = 0; enabled = 1 }
        /^[ \t]*$/ { flush(); next }
        /^#/ { next }
        /^Types:/ { if ($0 ~ /(^|[ \t])deb([ \t]|$)/) isdeb = 1; lines[++n] = "Types: deb-src"; next }
        /^Enabled:/ { if ($2 == "no") enabled = 0 }
        /^URIs:/ { if ($0 ~ /\/debian(-security)?\/?([ \t]|$)/) isdebian = 1 }
        /^Signed-By:.*debian-archive-keyring/ { isdebian = 1 }
        { lines[++n] = $0 }
        END { flush() }
      ' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
      # One-line format: each Debian "deb" line becomes a "deb-src" stanza.
      awk '$1 == "deb" && $0 ~ /debian/ {
        i = 2; opts = ""
        if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps " " $j
        printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:%s\n\n", uri, suite, comps
      }' /etc/apt/sources.list
    fi
  )"
  if [ -z "$derived" ]; then
    echo "windows-deps: no Debian apt entries to derive source entries from" >&2
    exit 1
  fi
  if [ ! -f "$out" ] || [ "$(cat "$out")" != "$derived" ]; then
    echo "windows-deps: enabling Debian source entries in $out"
    printf '%s\n' "$derived" | $SUDO tee "$out" >/dev/null
    apt_updated=0
  fi
  if [ "$apt_updated" = 0 ]; then
    $SUDO apt-get update -qq
  fi
}

# Unpacks (once) the source package into $SRC/<name>/ and prints its tree's path.
fetch_source() {
  local name="$1" dir="$SRC/$1"
  mkdir -p "$dir"
  if ! ls -d "$dir"/*/debian >/dev/null 2>&1; then
    local version
    version="$(dpkg-query -W -f='${source:Version}' "${LINUX_PACKAGE[$name]}")"
    (cd "$dir" && apt-get source -qq --only-source "$name=$version" >/dev/null 2>"$dir/apt-source.log") || {
      cat "$dir/apt-source.log" >&2
      exit 1
    }
  fi
  dirname "$(ls -d "$dir"/*/debian | head -1)"
}

cmake_build() {
  local src="$1" build="$2"
  shift 2
  rm -rf "$build"
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DISORA_WINDOWS_PREFIX="$PREFIX" -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF "$@" >"$build.log" 2>&1 ||
    { tail -40 "$build.log" >&2; exit 1; }
  nice -n 10 cmake --build "$build" -j "$JOBS" >>"$build.log" 2>&1 || { tail -40 "$build.log" >&2; exit 1; }
  cmake --install "$build" >>"$build.log" 2>&1 || { tail -40 "$build.log" >&2; exit 1; }
}

enable_deb_src
rm -rf "$PREFIX"
mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig" "$SRC"
BUILD="$CACHE/build"
mkdir -p "$BUILD"

for s in "${SOURCES[@]}"; do
  fetch_source "$s" >/dev/null
done

echo "windows-deps: zlib"
# Compiled file by file: Debian's source drops zlib's Windows makefiles, and the library is
# fifteen plain C files.
build_zlib() {
  local z="$1" obj="$BUILD/zlib"
  rm -rf "$obj" && mkdir -p "$obj"
  local f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    $HOST-gcc-posix -O2 -I"$z" -c "$z/$f.c" -o "$obj/$f.o"
  done
  $HOST-ar rcs "$PREFIX/lib/libz.a" "$obj"/*.o
  cp "$z/zlib.h" "$z/zconf.h" "$PREFIX/include/"
  local version
  version="$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' "$z/zlib.h")"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$PREFIX" "$version" >"$PREFIX/lib/pkgconfig/zlib.pc"
}
build_zlib "$(fetch_source zlib)"

echo "windows-deps: libjpeg-turbo"
# The portable C code paths: no assembler needed, and the coder's output is the same.
cmake_build "$(fetch_source libjpeg-turbo)" "$BUILD/libjpeg-turbo" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF

echo "windows-deps: freetype"
# Plain TrueType/OpenType outlines are all the game draws; the optional codecs stay out.
cmake_build "$(fetch_source freetype)" "$BUILD/freetype" \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON \
  -DFT_DISABLE_ZLIB=ON

echo "windows-deps: SDL2"
cmake_build "$(fetch_source libsdl2)" "$BUILD/sdl2" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF

echo "windows-deps: SDL2_mixer"
# WAV, OGG (stb_vorbis), MP3 (minimp3) and FLAC (dr_flac) are built in and need no other
# library; module, MIDI and Opus music would need more libraries and are left out.
cmake_build "$(fetch_source libsdl2-mixer)" "$BUILD/sdl2-mixer" \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
  -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_MINIMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
  -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_DRFLAC=ON -DSDL2MIXER_FLAC_LIBFLAC=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_WAVPACK=OFF

echo "windows-deps: nlohmann-json (headers)"
cp -r /usr/include/nlohmann "$PREFIX/include/"
mkdir -p "$PREFIX/share/cmake"
cp -r /usr/share/cmake/nlohmann_json "$PREFIX/share/cmake/"

echo "$recipe" >"$stamp"
echo "windows-deps: ready in $PREFIX"
