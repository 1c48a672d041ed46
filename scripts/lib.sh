# Shared by scripts/test and scripts/demo: make sure the build tools are here.
# As root, install what is missing with apt; otherwise name the one apt line to run.

MERID_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev clang-format pkg-config dpkg-dev libcpp-httplib-dev libsqlite3-dev chromium)
# The Windows DLL: cross compilers, widl, Wine's IDL files and stdole2.tlb,
# Wine to run the COM tests, and NSIS for the installers.
MERID_WINDOWS_PACKAGES=(mingw-w64 mingw-w64-tools libwine-dev wine64 nsis)

merid_missing_packages() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

merid_ensure_packages() {
  local missing
  missing=$(merid_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing >/dev/null
  else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y $missing" >&2
    return 1
  fi
}
