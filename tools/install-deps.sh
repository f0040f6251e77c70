#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test VLPDMenu.dll, the ARM64
# toolchain (tools/install-arm64.sh) included.
# Idempotent: does nothing when every tool is already present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake ninja-build g++ clang clang-tidy libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev \
         libuchardet-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix \
         binutils-mingw-w64-x86-64 wine wine64 wixl msitools gcab faketime openssl xvfb xauth locales \
         python3-yaml python3-jsonschema; do
  have_pkg "$p" || need+=("$p")
done
# The 32-bit Wine loader comes from the i386 architecture.
have_pkg wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -gt 0 ]; then
  echo "install-deps: installing ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# osslsigncode signs the release; 2.7 is the first to sign MSIX packages, and Debian 12 has it
# only in its backports suite. That suite is enabled from the machine's own source list: the
# entries of the release's suite, with the backports suite in its place.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")

# Writes to stdout the backports entries derived from the deb822 file $1 (.sources) or the
# one-line file $1 (.list).
backports_entries() {
  case "$1" in
    *.sources)
      # One paragraph per entry; a paragraph whose Suites name the release gets only the backports
      # suite. Disabled entries and comments are left out.
      awk -v suite="$codename" -v RS= '
        {
          n = split($0, lines, "\n"); out = ""; hit = 0; off = 0
          for (i = 1; i <= n; i++) {
            if (lines[i] ~ /^#/) continue
            if (tolower(lines[i]) ~ /^enabled:[ \t]*no/) off = 1
            if (lines[i] ~ /^Suites:/) {
              m = split(substr(lines[i], 8), words, /[ \t]+/)
              for (j = 1; j <= m; j++) if (words[j] == suite) hit = 1
              lines[i] = "Suites: " suite "-backports"
            }
            out = out lines[i] "\n"
          }
          if (hit && !off) printf "%s\n", out
        }' "$1"
      ;;
    *)
      sed -n -E "s/^(deb[[:space:]]+(\[[^]]*\][[:space:]]+)?[^[:space:]]+[[:space:]]+)$codename([[:space:]])/\1$codename-backports\3/p" "$1"
      ;;
  esac
}

osslsigncode_recent() {
  local version
  version=$(osslsigncode --version 2>/dev/null | sed -n -E '1s/^osslsigncode ([0-9]+)\.([0-9]+).*/\1 \2/p')
  [ -n "$version" ] && { read -r major minor <<<"$version"; [ "$major" -gt 2 ] || { [ "$major" -eq 2 ] && [ "$minor" -ge 7 ]; }; }
}

if ! osslsigncode_recent; then
  sources=/etc/apt/sources.list.d/debian.sources
  [ -f "$sources" ] || sources=/etc/apt/sources.list
  if ! grep -rqs -- "$codename-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    case "$sources" in
      *.sources) target=/etc/apt/sources.list.d/vlpd-backports.sources ;;
      *) target=/etc/apt/sources.list.d/vlpd-backports.list ;;
    esac
    backports_entries "$sources" >"$target.new"
    [ -s "$target.new" ] || { rm -f "$target.new"; echo "install-deps: no $codename entry in $sources" >&2; exit 1; }
    mv "$target.new" "$target"
    echo "install-deps: enabled $codename-backports in $target"
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -t "$codename-backports" osslsigncode openssl >/dev/null
  osslsigncode_recent || { echo "install-deps: osslsigncode 2.7 or later is not available" >&2; exit 1; }
fi

# The x86-64 build's packages carry the ARM64 DLL, made with the arm64 preset's toolchain (the
# emulated Wine that tests it comes with tools/test-arm64.sh).
bash "$(dirname "$0")/install-arm64.sh" --toolchain
