#!/usr/bin/env bash
# Builds the libraries of the Windows build (zlib, libjpeg-turbo, FreeType, SDL2, SDL2_mixer,
# and the kit's libpng, tinyxml2 and zstd) with mingw-w64 from Debian's own source packages, static, into a cached prefix
# outside the clone. A library is rebuilt only when its source version, its build options, the
# toolchain file or the compiler change, so a second run returns at once.
#
#   ISORA_WINDOWS_CACHE   cache folder (default ~/.cache/isora-windows); the prefix is <cache>/prefix
#   ISORA_WINDOWS_REBUILD=1  rebuild every library
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CACHE="${ISORA_WINDOWS_CACHE:-$HOME/.cache/isora-windows}"
PREFIX="$CACHE/prefix"
SRC="$CACHE/src"
HOST=x86_64-w64-mingw32
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
JOBS="${JOBS:-$(nproc)}"
SOURCES=(zlib libjpeg-turbo freetype libsdl2 libsdl2-mixer libpng1.6 tinyxml2 libzstd)
# Each source is taken at the version of the Linux package the native build links, so both
# builds run the same library code.
declare -A LINUX_PACKAGE=(
  [zlib]=zlib1g-dev [libjpeg-turbo]=libjpeg62-turbo-dev [freetype]=libfreetype-dev
  [libsdl2]=libsdl2-dev [libsdl2-mixer]=libsdl2-mixer-dev [libpng1.6]=libpng-dev
  [tinyxml2]=libtinyxml2-dev [libzstd]=libzstd-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

# Host tools: the cross compilers, Wine and the font for the check, and what unpacks and builds
# the sources.
PACKAGES=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64 zip dpkg-dev cmake ninja-build make pkg-config
  nlohmann-json3-dev xz-utils fontconfig fonts-wqy-microhei
  zlib1g-dev libjpeg62-turbo-dev libfreetype-dev libsdl2-dev libsdl2-mixer-dev
  libpng-dev libtinyxml2-dev libzstd-dev
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

# Unpacks (once) the source package into $SRC/<name>/<version>/ and prints its tree's path:
# the Linux package's version when it can be fetched, else the newest one that can (a security
# update's sources may be missing where its binaries are not).
fetch_source() {
  local name="$1" version
  version="$(linux_version "$name")"
  local d
  for d in "$SRC/$name"/*/*/debian; do
    if [ -d "$d" ] && [ "$(basename "$(dirname "$(dirname "$d")")")" = "$version" ]; then
      dirname "$d"
      return
    fi
  done
  local candidates
  candidates="$(printf '%s\n' "$version"; apt-cache showsrc "$name" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -rV | uniq)"
  local v
  for v in $candidates; do
    local dir="$SRC/$name/$v"
    if ! ls -d "$dir"/*/debian >/dev/null 2>&1; then
      rm -rf "$dir" && mkdir -p "$dir"
      (cd "$dir" && apt-get source -qq --only-source "$name=$v" >/dev/null 2>"$dir/apt-source.log") ||
        continue
    fi
    [ "$v" = "$version" ] || echo "windows-deps: $name $version has no sources here; using $v" >&2
    dirname "$(ls -d "$dir"/*/debian | head -1)"
    return
  done
  echo "windows-deps: cannot fetch the sources of $name" >&2
  exit 1
}

linux_version() {
  dpkg-query -W -f='${source:Version}' "${LINUX_PACKAGE[$1]}"
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

# Compiled file by file: Debian's source drops zlib's Windows makefiles, and the library is
# fifteen plain C files.
ZLIB_FILES=(adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate
  inftrees trees uncompr zutil)
build_zlib() {
  local z="$1" obj="$BUILD/zlib"
  rm -rf "$obj" && mkdir -p "$obj"
  local f
  for f in "${ZLIB_FILES[@]}"; do
    $HOST-gcc-posix -O2 -I"$z" -c "$z/$f.c" -o "$obj/$f.o"
  done
  rm -f "$PREFIX/lib/libz.a"
  $HOST-ar rcs "$PREFIX/lib/libz.a" "$obj"/*.o
  cp "$z/zlib.h" "$z/zconf.h" "$PREFIX/include/"
  local version
  version="$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' "$z/zlib.h")"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$PREFIX" "$version" >"$PREFIX/lib/pkgconfig/zlib.pc"
}
# The portable C code paths: no assembler needed, and the coder's output is the same.
JPEG_ARGS=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF)
# Plain TrueType/OpenType outlines are all the game draws; the optional codecs stay out.
# Its gzip support takes the zlib above: its own copy would clash with it in the kit.
FREETYPE_ARGS=(-DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON
  -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON -DZLIB_ROOT="$PREFIX")
SDL_ARGS=(-DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF)
# WAV, OGG (stb_vorbis), MP3 (dr_mp3), FLAC (dr_flac) and MIDI (Windows' own synthesizer, or
# Timidity with its patches) are built in and need no other library; module and Opus music
# would need more libraries and are left out.
MIXER_ARGS=(-DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF
  -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF
  -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_DRFLAC=ON -DSDL2MIXER_FLAC_LIBFLAC=OFF
  -DSDL2MIXER_MIDI=ON -DSDL2MIXER_MIDI_NATIVE=ON -DSDL2MIXER_MIDI_TIMIDITY=ON
  -DSDL2MIXER_MIDI_FLUIDSYNTH=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_WAVPACK=OFF)

# SDL's pkg-config file is for programs that let SDL2main supply the entry point (and are all
# GUI programs); the engine has its own main and isora-kit is a console program.
fix_sdl_pc() {
  sed -i -e 's/ -lmingw32 -mwindows -lSDL2main//g' -e 's/ -Dmain=SDL_main//' \
    "$PREFIX/lib/pkgconfig/sdl2.pc"
}
# SDL2_mixer's CMake build writes a pkg-config file for shared builds only.
write_mixer_pc() {
  local version
  version="$(linux_version libsdl2-mixer | sed 's/^[0-9]*://; s/[+-].*//')"
  printf '%s\n' "prefix=$PREFIX" 'libdir=${prefix}/lib' 'includedir=${prefix}/include' '' \
    'Name: SDL2_mixer' 'Description: mixer library for Simple DirectMedia Layer' \
    "Version: $version" 'Requires: sdl2' 'Libs: -L${libdir} -lSDL2_mixer' 'Libs.private: -lwinmm' \
    'Cflags: -I${includedir}/SDL2' >"$PREFIX/lib/pkgconfig/SDL2_mixer.pc"
}

# The kit's readers of hand-drawn art (PNG) and Tiled files (XML, zstd layers).
PNG_ARGS=(-DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  -DZLIB_ROOT="$PREFIX")
TINYXML_ARGS=(-Dtinyxml2_BUILD_TESTING=OFF)
ZSTD_ARGS=(-DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_BUILD_PROGRAMS=OFF
  -DZSTD_BUILD_TESTS=OFF -DZSTD_MULTITHREAD_SUPPORT=OFF)

# The toolchain file and the compiler: when they change, the whole prefix is rebuilt.
toolchain_key="$(sha256sum <"$TOOLCHAIN" | cut -c1-16)-$($HOST-gcc-posix -dumpversion)"
if [ "${ISORA_WINDOWS_REBUILD:-0}" = 1 ] ||
  [ "$(cat "$PREFIX/.isora-toolchain" 2>/dev/null)" != "$toolchain_key" ]; then
  rm -rf "$PREFIX"
fi
mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig" "$PREFIX/.stamps" "$SRC"
echo "$toolchain_key" >"$PREFIX/.isora-toolchain"
BUILD="$CACHE/build"
mkdir -p "$BUILD"

# A library's key: the key of the one before it (SDL2_mixer is rebuilt with SDL2), its source
# version and its recipe. Its stamp holds the key it was built with.
chain_key="$toolchain_key"
declare -A KEY
for name in "${SOURCES[@]}"; do
  case "$name" in
    zlib) recipe="${ZLIB_FILES[*]} $(declare -f build_zlib)" ;;
    libjpeg-turbo) recipe="${JPEG_ARGS[*]}" ;;
    freetype) recipe="${FREETYPE_ARGS[*]}" ;;
    libsdl2) recipe="${SDL_ARGS[*]} $(declare -f fix_sdl_pc)" ;;
    libsdl2-mixer) recipe="${MIXER_ARGS[*]} $(declare -f write_mixer_pc)" ;;
    libpng1.6) recipe="${PNG_ARGS[*]}" ;;
    tinyxml2) recipe="${TINYXML_ARGS[*]}" ;;
    libzstd) recipe="${ZSTD_ARGS[*]}" ;;
  esac
  chain_key="$(printf '%s\n' "$chain_key" "$name" "$(linux_version "$name")" "$recipe" "$(declare -f cmake_build)" |
    sha256sum | cut -c1-16)"
  KEY[$name]="$chain_key"
done
is_built() {
  [ "$(cat "$PREFIX/.stamps/$1" 2>/dev/null)" = "${KEY[$1]}" ]
}

todo=()
for name in "${SOURCES[@]}"; do
  is_built "$name" || todo+=("$name")
done
if [ ${#todo[@]} -eq 0 ] && [ -f "$PREFIX/include/nlohmann/json.hpp" ]; then
  exit 0
fi

if [ ${#todo[@]} -gt 0 ]; then
  enable_deb_src
  for name in "${todo[@]}"; do
    fetch_source "$name" >/dev/null
  done
fi
for name in "${todo[@]}"; do
  echo "windows-deps: $name $(linux_version "$name")"
  src="$(fetch_source "$name")"
  case "$name" in
    zlib) build_zlib "$src" ;;
    libjpeg-turbo) cmake_build "$src" "$BUILD/$name" "${JPEG_ARGS[@]}" ;;
    freetype) cmake_build "$src" "$BUILD/$name" "${FREETYPE_ARGS[@]}" ;;
    libsdl2) cmake_build "$src" "$BUILD/$name" "${SDL_ARGS[@]}" && fix_sdl_pc ;;
    libsdl2-mixer) cmake_build "$src" "$BUILD/$name" "${MIXER_ARGS[@]}" && write_mixer_pc ;;
    libpng1.6) cmake_build "$src" "$BUILD/$name" "${PNG_ARGS[@]}" ;;
    tinyxml2) cmake_build "$src" "$BUILD/$name" "${TINYXML_ARGS[@]}" ;;
    libzstd) cmake_build "$src/build/cmake" "$BUILD/$name" "${ZSTD_ARGS[@]}" ;;
  esac
  echo "${KEY[$name]}" >"$PREFIX/.stamps/$name"
done

# nlohmann-json is header-only: Debian's headers and CMake package serve the cross-build too.
cp -r /usr/include/nlohmann "$PREFIX/include/"
mkdir -p "$PREFIX/share/cmake"
cp -r /usr/share/cmake/nlohmann_json "$PREFIX/share/cmake/"
echo "windows-deps: ready in $PREFIX"
