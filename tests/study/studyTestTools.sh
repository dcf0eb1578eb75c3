# Shared by the study tests (sourced): skipping when a tool is missing, the answers every
# run gives, and copies of the example study.

# Exits with 77, which CTest counts as skipped; with QUORVEL_REQUIRE_TOOLS or
# QUORVEL_REQUIRE_WINDOWS_TESTS set (CI) a missing tool fails the test instead.
skipTest() {
  echo "skipped: $1"
  if [[ -n ${QUORVEL_REQUIRE_TOOLS:-} || -n ${QUORVEL_REQUIRE_WINDOWS_TESTS:-} ]]; then exit 1; fi
  exit 77
}

failTest() {
  echo "FAILED: $1"
  exit 1
}

# The answers of every run: no dialog is left to ask.
# shellcheck disable=SC2034
answers=(--hrf two-gamma --value 1 --skip-first yes --z-transform yes)

# A fresh folder: $1.
freshFolder() {
  rm -rf "$1"
  mkdir -p "$1"
}

# A copy of the example study $1 in folder $2.
copyStudy() {
  mkdir -p "$2"
  cp -R "$1/." "$2/"
}

# Fails unless folders $1 and $2 hold the same files with the same bytes, leaving out names
# matching the pattern $3 (a find -name pattern; may be empty).
sameFiles() {
  local left=$1 right=$2 leaveOut=${3:-}
  local filter=(-type f)
  if [[ -n $leaveOut ]]; then filter+=(! -name "$leaveOut"); fi
  diff <(cd "$left" && find . "${filter[@]}" | LC_ALL=C sort) \
       <(cd "$right" && find . "${filter[@]}" | LC_ALL=C sort) ||
    failTest "$left and $right hold different files"
  while IFS= read -r file; do
    cmp -s "$left/$file" "$right/$file" || failTest "$file differs between $left and $right"
  done < <(cd "$left" && find . "${filter[@]}")
}
