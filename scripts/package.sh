#!/usr/bin/env bash
# Builds the release packages into dist/ with CPack:
#   quorvel_VERSION_amd64.deb            morvane, the module, the manual page, the documents and
#                                        the examples, from a Release build in build-pkg/ (its
#                                        dependencies found by dpkg-shlibdeps); lintian must
#                                        find no error in it;
#   quorvel-VERSION-windows-x64.zip      quorvel.dll, morvane.exe, the documents and the example
#                                        study, from the MinGW-w64 cross build in build-pkg-mingw/
#                                        (Release), or from the cross build QUORVEL_WINDOWS_BUILD
#                                        names (scripts/test-all.sh: the one its Windows tests ran);
#   quorvel-VERSION.tar.gz               the committed sources (git archive), when in a git tree.
# scripts/test-packages.sh tests them. A missing tool fails the script, except that without
# the cross compiler the Windows archive is skipped with a message, unless
# QUORVEL_REQUIRE_TOOLS or QUORVEL_REQUIRE_WINDOWS_TESTS is set (CI).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

require() {
  command -v "$1" >/dev/null 2>&1 || { echo "package.sh: $1 is not installed (Debian: $2)" >&2; exit 1; }
}
require cpack cmake
require dpkg-shlibdeps dpkg-dev
require help2man help2man
require lintian lintian
require fakeroot fakeroot

mkdir -p dist
rm -f dist/quorvel_*.deb dist/quorvel-*.zip dist/quorvel-*.tar.gz dist/*.sha256

echo "== package: the Debian package (build-pkg)" >&2
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DQUORVEL_BUILD_TESTS=OFF >/dev/null
# The build's output goes to a log, shown when the build fails.
build() {
  cmake --build "$1" -j2 >"$1/build.log" 2>&1 || { tail -n 60 "$1/build.log" >&2; exit 1; }
}
build build-pkg
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-pkg/CMakeCache.txt)
# fakeroot: the files in the package belong to root whoever builds it.
(cd build-pkg && fakeroot cpack -G DEB -B "$PWD/cpack" >/dev/null)
deb=quorvel_${version}_amd64.deb
cp "build-pkg/cpack/$deb" dist/
echo "package.sh: lintian on $deb" >&2
lintian --fail-on error --tag-display-limit 0 "dist/$deb"

if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1; then
  windows=${QUORVEL_WINDOWS_BUILD:-build-pkg-mingw}
  echo "== package: the Windows archive ($windows)" >&2
  if [[ -z ${QUORVEL_WINDOWS_BUILD:-} ]]; then
    # The toolchain counts only when the build folder is made.
    toolchain=()
    [[ -f $windows/CMakeCache.txt ]] || toolchain=(--toolchain cmake/mingw-w64-x86_64.cmake)
    cmake -S . -B "$windows" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF >/dev/null
  elif ! grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw' "$windows/CMakeCache.txt" 2>/dev/null; then
    echo "package.sh: QUORVEL_WINDOWS_BUILD=$windows is no MinGW-w64 cross build" >&2
    exit 1
  fi
  build "$windows"
  (cd "$windows" && cpack -G ZIP -B "$PWD/cpack" >/dev/null)
  cp "$windows/cpack/quorvel-$version-windows-x64.zip" dist/
elif [[ -n ${QUORVEL_REQUIRE_TOOLS:-} || -n ${QUORVEL_REQUIRE_WINDOWS_TESTS:-} ]]; then
  echo "package.sh: the MinGW-w64 cross compiler is not installed (Debian: g++-mingw-w64-x86-64)" >&2
  exit 1
else
  echo "package.sh: skipped the Windows archive: no MinGW-w64 cross compiler (Debian: g++-mingw-w64-x86-64)" >&2
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git archive --format=tar.gz --prefix="quorvel-$version/" -o "dist/quorvel-$version.tar.gz" HEAD
fi
(cd dist && for file in quorvel*"$version"*; do sha256sum "$file" >"$file.sha256"; done)
ls -l dist >&2
