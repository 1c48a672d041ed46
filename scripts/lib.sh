# Shared by scripts/test and scripts/demo: make sure the build tools are here.
# As root, install what is missing with apt; otherwise name the one apt line to run.

MERID_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev clang-format pkg-config dpkg-dev libcpp-httplib-dev libsqlite3-dev chromium)
# The Windows DLL: cross compilers, widl, Wine's IDL files and stdole2.tlb,
# Wine to run the COM tests, and NSIS for the installers.
# tcl and make: tclsh and make build the SQLite amalgamation of the Windows meridd.exe
# (scripts/windows-sources); curl: the client of meridd.exe's tests.
MERID_WINDOWS_PACKAGES=(mingw-w64 mingw-w64-tools libwine-dev wine64 nsis tcl make curl)

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

# The first "deb" mirror URI of the machine's apt sources for its own release,
# and the keyring it is signed with, if named: "URI KEYRING". Scripts that
# download with a private apt take their mirror from here, never a name of
# their own.
merid_machine_mirror() {
  local codename f
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      awk -v want="$codename" '
        function flush() { if (deb && uri != "" && (" " suites " ") ~ (" " want " ")) print uri, key; deb = 0; uri = ""; key = ""; suites = "" }
        /^[[:space:]]*$/ { flush(); next }
        tolower($1) == "types:" { deb = ($0 ~ /[[:space:]]deb([[:space:]]|$)/) }
        tolower($1) == "uris:" { uri = $2 }
        tolower($1) == "suites:" { $1 = ""; suites = $0 }
        tolower($1) == "signed-by:" { key = $2 }
        END { flush() }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -e "$f" ] || continue
      awk -v want="$codename" '$1 == "deb" {
          key = ""; i = 2
          if ($2 ~ /^\[/) { for (; i <= NF; i++) { if ($i ~ /^signed-by=/) { key = $i; sub(/^signed-by=/, "", key); sub(/\]$/, "", key) } if ($i ~ /\]$/) break } i++ }
          if ($(i + 1) == want) print $i, key }' "$f"
    done
  } | head -n 1
  [ -n "$codename" ]
}

# merid_private_apt DIR ARCH LINE...: an apt configuration of its own in DIR
# (lists, cache, status and sources, the LINEs), so that downloading through
# it changes nothing on the machine. Use it as APT_CONFIG=DIR/apt.conf.
merid_private_apt() {
  local dir=$1 arch=$2
  shift 2
  mkdir -p "$dir"/{lists/partial,archives/partial,parts,prefs,log}
  : >"$dir/status"
  printf '%s\n' "$@" >"$dir/sources.list"
  cat >"$dir/apt.conf" <<EOF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Install-Suggests "false";
APT::Sandbox::User "root";
Dir::State "$dir";
Dir::State::Lists "$dir/lists";
Dir::State::status "$dir/status";
Dir::Cache "$dir";
Dir::Cache::archives "$dir/archives";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
Dir::Etc::SourceList "$dir/sources.list";
Dir::Etc::SourceParts "$dir/parts";
Dir::Etc::Preferences "$dir/preferences";
Dir::Etc::PreferencesParts "$dir/prefs";
Dir::Log "$dir/log";
Debug::NoLocking "true";
EOF
}
