#!/usr/bin/env bash
# install-deps.sh run|test|bench|package|icons: installs the Debian packages that the
# given command needs and the machine lacks. As root it installs them with
# apt-get; otherwise it uses sudo when it can, and else says what to install.
set -eu

# qt6-wayland: Varne runs natively on a Wayland session, not only through
# XWayland.
run_packages=(cmake ninja-build g++ qt6-base-dev qt6-wayland)
# The Debian package (dpkg-shlibdeps computes its dependencies) and the
# Windows zip and installer.
package_packages=("${run_packages[@]}" dpkg-dev file g++-mingw-w64-x86-64-posix nsis)
# Beyond the suites themselves: the package's validators, a virtual X
# display with a window manager for starting the packaged program, and a
# headless Wayland compositor.
test_packages=("${package_packages[@]}" libgtest-dev libgmock-dev googletest
  wine wine64 xvfb xauth clang libclang-rt-14-dev
  lintian desktop-file-utils appstream openbox xdotool x11-utils weston icoutils)
bench_packages=("${run_packages[@]}" libbenchmark-dev)
# scripts/render-icons.sh: rsvg-convert and icotool.
icons_packages=(librsvg2-bin icoutils)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  package) wanted=("${package_packages[@]}") ;;
  icons) wanted=("${icons_packages[@]}") ;;
  *) echo "usage: $0 run|test|bench|package|icons" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo)
else
  echo "Varne needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "Installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
