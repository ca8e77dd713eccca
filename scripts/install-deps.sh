#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the demo need.
# Idempotent: apt-get runs only when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config make
  clang libclang-rt-14-dev clang-format
  libssh2-1-dev libssl-dev libcurl4-openssl-dev nlohmann-json3-dev
  libssh-dev libcpp-httplib-dev libsqlite3-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  openssh-client
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
