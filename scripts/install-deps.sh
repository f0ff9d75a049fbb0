#!/usr/bin/env bash
# Installs what building, testing, fuzzing and benchmarking need on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      clang clang-format libclang-rt-14-dev rapidjson-dev nlohmann-json3-dev libssl-dev
      python3 doxygen)
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
