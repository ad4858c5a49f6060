#!/usr/bin/env bash
# Installs the Debian packages a build needs, when missing.
#   scripts/install-deps.sh            the library and the command-line program
#   scripts/install-deps.sh test       ... and the unit, golden and CLI tests
#   scripts/install-deps.sh bench      ... and the benchmarks
#   scripts/install-deps.sh fuzz       ... and the libFuzzer build (clang)
#   scripts/install-deps.sh browser    ... and the browser tests of `korvan serve`
#                                      (Chromium, Node.js and npm)
#   scripts/install-deps.sh python     ... and the Python package and its tests
# Several kinds may be named at once.
set -euo pipefail
packages=(cmake make g++ pkg-config libcli11-dev nlohmann-json3-dev libcpp-httplib-dev)
for kind in "$@"; do
  case "$kind" in
    test)  packages+=(binutils googletest libgtest-dev libgmock-dev python3 python3-jsonschema) ;;
    bench) packages+=(libbenchmark-dev) ;;
    fuzz)  packages+=(clang libclang-rt-14-dev) ;;
    python) packages+=(python3 python3-dev pybind11-dev python3-pybind11 python3-numpy
                       python3-pandas python3-pytest python3-distributed
                       python3-matplotlib python3-setuptools python3-pip) ;;
    # Node.js and npm may come from elsewhere than Debian (a newer Node.js
    # carries its own npm): only what is missing as a command is installed.
    browser)
      packages+=(chromium)
      command -v node >/dev/null || packages+=(nodejs)
      command -v npm >/dev/null || packages+=(npm) ;;
    *) echo "install-deps.sh: unknown kind \"$kind\" (test, bench, fuzz, python or browser)" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
