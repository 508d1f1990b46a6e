#!/bin/sh
# Builds the Debian package: a Release build with Debian's hardening flags, then `cpack -G DEB`.
# Prints the path of the package (build/package/vyper-grundelnetz_<version>-<release>_<arch>.deb)
# on standard output, and the build's progress on standard error.
# Usage: scripts/package.sh   (BUILD_DIR sets the build folder, default build/package-release;
#                               MAINTAINER="Name <address>" sets the package's maintainer)
set -eu
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
./scripts/install-deps.sh >&2
JOBS="${JOBS:-$(nproc)}"
BUILD_DIR="${BUILD_DIR:-build/package-release}"
OUT="build/package"

# The dates in the package's changelog and metadata are those of the last commit, so that
# the same commit gives the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
  export SOURCE_DATE_EPOCH
fi

# Debian's flags for hardened programs (stack protector, fortified functions, PIE, full RELRO).
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"

set -- -DCMAKE_BUILD_TYPE=Release -DVYPER_BUILD_TESTS=OFF \
  "-DCMAKE_CXX_FLAGS=$CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS"
[ -n "${MAINTAINER:-}" ] && set -- "$@" "-DVYPER_PACKAGE_MAINTAINER=$MAINTAINER"
cmake -S . -B "$BUILD_DIR" -G Ninja "$@" >/dev/null
# Only what the package holds is built (not the emulator, benchmarks or helpers).
cmake --build "$BUILD_DIR" -j "$JOBS" --target vyper-package-contents >&2

mkdir -p "$OUT"
rm -f "$OUT"/*.deb
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$ROOT/$OUT" >"$BUILD_DIR/cpack.log" 2>&1 || {
  cat "$BUILD_DIR/cpack.log" >&2
  exit 1
}
rm -rf "$OUT/_CPack_Packages"
set -- "$OUT"/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || { echo "cpack made no single package in $OUT" >&2; exit 1; }
echo "$1"
