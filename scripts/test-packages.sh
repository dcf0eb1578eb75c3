#!/usr/bin/env bash
# Tests the packages that scripts/package.sh put into dist/, as a user gets them:
#   1. an installation by `cmake --install` into a scratch prefix, moved elsewhere, still runs
#      the example study (morvane finds its module relative to itself);
#   2. the .deb installed with dpkg -i (apt-get -f install for what it depends on): the
#      installed morvane --version, man -w morvane, the installed example study run from
#      another folder by the installed morvane without --plugin, giving what the build tree's
#      morvane gives; then dpkg -r, and nothing of it may be left;
#   3. the Windows archive unzipped into a fresh folder: its DLL and program import only
#      system DLLs (objdump), and its morvane.exe under wine converts its own example study
#      into what morvane gives here, line ends aside.
# Check 2 needs root and dpkg, check 3 the MinGW-w64 binutils and wine; without them a check is
# reported SKIPPED, and with QUORVEL_REQUIRE_TOOLS or QUORVEL_REQUIRE_WINDOWS_TESTS set (CI)
# it fails instead. Scratch files go to scratch/package-tests. QUORVEL_WINE_PREFIX names a
# wine prefix to use (default: build-pkg-mingw/wineprefix, made on first use).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-pkg/CMakeCache.txt 2>/dev/null || true)
if [[ -z $version ]]; then
  echo "test-packages.sh: no build-pkg/; run scripts/package.sh first" >&2
  exit 1
fi
deb=$repo/dist/quorvel_${version}_amd64.deb
zip=$repo/dist/quorvel-$version-windows-x64.zip
buildMorvane=$repo/build-pkg/bin/morvane
work=$repo/scratch/package-tests
rm -rf "$work"
mkdir -p "$work"
answers=(--hrf two-gamma --value 1 --skip-first yes --z-transform yes)
required=${QUORVEL_REQUIRE_TOOLS:-${QUORVEL_REQUIRE_WINDOWS_TESTS:-}}
skipped=()

fail() {
  echo "test-packages.sh: FAILED: $1" >&2
  exit 1
}
skip() {
  if [[ -n $required ]]; then fail "cannot test: $1"; fi
  echo "test-packages.sh: SKIPPED: $1" >&2
  skipped+=("$1")
}
# The example study copied from $1 into $2, converted there by morvane $3 run from $work (so
# the list's entries are found beside it), its log and messages in $2.out and $2.err.
runStudy() {
  rm -rf "$2"
  mkdir -p "$2"
  cp -R "$1/." "$2/"
  (cd "$work" && "$3" --list "$2/file-list.txt" "${answers[@]}" </dev/null >"$2.out" 2>"$2.err") ||
    fail "$3 failed on the example study: $(cat "$2.err")"
}
# Fails unless the folders $1 and $2 hold the same files, byte for byte.
sameFolders() {
  diff -r -q "$1" "$2" >&2 || fail "$1 and $2 differ"
}

# The reference: the build tree's morvane on the repository's example study.
runStudy "$repo/examples/study" "$work/build-run" "$buildMorvane"

echo "== install into a prefix, then move it" >&2
cmake --install build-pkg --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved"
"$work/moved/bin/morvane" --version | grep -q "$version" || fail "the moved morvane --version does not say $version"
runStudy "$work/moved/share/quorvel/examples/study" "$work/moved-run" "$work/moved/bin/morvane"
sameFolders "$work/build-run" "$work/moved-run"
cmp -s "$work/build-run.out" "$work/moved-run.out" || fail "the moved morvane logs differently"

echo "== the Debian package" >&2
if [[ ! -f $deb ]]; then
  fail "no $deb"
elif [[ $(id -u) -ne 0 ]] || ! command -v dpkg >/dev/null 2>&1; then
  skip "installing the .deb needs root and dpkg"
elif dpkg-query -W -f='${Status}' quorvel 2>/dev/null | grep -q "ok installed"; then
  fail "quorvel is installed on this machine already; remove it first (dpkg -r quorvel)"
else
  trap 'dpkg -r quorvel >/dev/null 2>&1 || true' EXIT
  if ! dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get -f install -y -qq >>"$work/dpkg.log" 2>&1 ||
      fail "dpkg -i and apt-get -f install: $(cat "$work/dpkg.log")"
  fi
  dpkg -L quorvel >"$work/installed-files.txt"
  [[ $(command -v morvane) == /usr/bin/morvane ]] || fail "morvane is not /usr/bin/morvane but $(command -v morvane)"
  (cd "$work" && morvane --version) >"$work/version.txt" || fail "the installed morvane --version failed"
  cat "$work/version.txt" >&2
  grep -q "$version" "$work/version.txt" || fail "the installed morvane --version does not say $version"
  page=$(man -w morvane) || fail "man -w morvane finds no manual page"
  [[ $page == /usr/share/man/man1/morvane.1.gz ]] || fail "the manual page is $page"
  sameFolders "$repo/examples/study" /usr/share/quorvel/examples/study
  runStudy /usr/share/quorvel/examples/study "$work/installed-run" morvane
  sameFolders "$work/build-run" "$work/installed-run"
  cmp -s "$work/build-run.out" "$work/installed-run.out" || fail "the installed morvane logs differently"

  dpkg -r quorvel >>"$work/dpkg.log" 2>&1 || fail "dpkg -r quorvel: $(cat "$work/dpkg.log")"
  trap - EXIT
  left=$(dpkg-query -W -f='${db:Status-Status}' quorvel 2>/dev/null || true)
  [[ -z $left || $left == not-installed ]] || fail "dpkg still knows quorvel as $left after dpkg -r"
  while IFS= read -r path; do
    [[ -f $path || -L $path ]] && fail "$path is left after dpkg -r"
  done <"$work/installed-files.txt"
  for folder in /usr/lib/quorvel /usr/share/quorvel /usr/share/doc/quorvel; do
    [[ ! -e $folder ]] || fail "$folder is left after dpkg -r"
  done
  echo "installed, ran the example study as the build does, removed without a trace" >&2
fi

echo "== the Windows archive" >&2
if [[ ! -f $zip ]]; then
  if [[ -n $required ]]; then fail "no $zip"; fi
  skip "no Windows archive (package.sh made none without the cross compiler)"
elif ! command -v x86_64-w64-mingw32-objdump >/dev/null 2>&1; then
  skip "x86_64-w64-mingw32-objdump is not installed (Debian: binutils-mingw-w64-x86-64)"
else
  unzip -q "$zip" -d "$work/zip"
  unpacked=$work/zip/quorvel-$version-windows-x64
  for file in quorvel.dll morvane.exe README.md LICENSE.txt CHANGELOG.md examples/study/file-list.txt; do
    [[ -f $unpacked/$file ]] || fail "the archive lacks $file"
  done
  sameFolders "$repo/examples/study" "$unpacked/examples/study"
  # What every 64-bit Windows has; nothing else may be needed beside the module.
  for binary in quorvel.dll morvane.exe; do
    while read -r dll; do
      case ${dll,,} in
        kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll | bcrypt.dll | ws2_32.dll | shell32.dll | ole32.dll) ;;
        *) fail "$binary imports $dll, which is not a system DLL" ;;
      esac
    done < <(x86_64-w64-mingw32-objdump -p "$unpacked/$binary" | awk '/DLL Name:/ { print $3 }')
  done
  if ! command -v wine >/dev/null 2>&1; then
    skip "wine is not installed"
  else
    prefix=${QUORVEL_WINE_PREFIX:-$repo/build-pkg-mingw/wineprefix}
    tests/windows/compareExampleStudy.sh "$buildMorvane" "$unpacked/examples/study" "$work/wine" \
        two-gamma 1 yes yes "$repo/cmake/runUnderWine.sh" "$prefix" "$unpacked/morvane.exe" ||
      fail "the archive's morvane.exe under wine does not convert its example study as morvane does here"
  fi
fi

if ((${#skipped[@]} > 0)); then
  echo "test-packages.sh: passed, with checks SKIPPED: ${skipped[*]}" >&2
else
  echo "test-packages.sh: all package tests passed" >&2
fi
