#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need;
# installs only what is missing, so running it again does nothing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libsdl2-dev qt6-image-formats-plugins
  libgtest-dev libgmock-dev zlib1g-dev
  xvfb xauth fonts-dejavu-core
  clang-format python3 git bash-completion zsh fish unzip
  darkplaces-server
  libfuse3-dev fuse3
  qt6-l10n-tools qt6-translations-l10n gettext locales
)
case "${1:-}" in
  --bench) packages+=(python3 strace) ;;
  # The Windows build: the cross compiler, zlib for it, the test framework's
  # sources, Wine to run the result, zip for the release.
  --windows) packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64 zip) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The program speaks German and French; the tests run it in both, so their
# locales must exist (a fresh system has only C).
wanted=()
for l in de_DE fr_FR; do
  locale -a 2>/dev/null | grep -qx "$l.utf8" || wanted+=("$l")
done
if [ ${#wanted[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  for l in "${wanted[@]}"; do
    "${sudo_cmd[@]}" sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -qx "$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen
fi
