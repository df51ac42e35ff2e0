#!/usr/bin/env bash
# install-deps.sh GROUP: installs the Debian packages that the command of
# GROUP needs and the machine lacks: run, test, bench, package, icons, fuzz,
# screenshot (scripts/screenshot.sh) or screenshot-windows
# (packaging/windows/screenshot.sh). As root it installs them with
# apt-get; otherwise through sudo (which asks for a password at a terminal),
# and where neither can, it says what to install. Every name here is one
# that Debian 12 and Debian 13 both have (clang's runtime under the
# unversioned name, for instance), so one list serves both.
set -eu

# qt6-wayland: Varne runs natively on a Wayland session, not only through
# XWayland. dpkg-dev: dpkg-buildflags gives the distribution's hardening
# flags.
run_packages=(cmake ninja-build g++ qt6-base-dev qt6-wayland dpkg-dev)
# The Debian packages (dpkg-shlibdeps computes their dependencies), the
# arm64 one cross-built against Debian's arm64 Qt and started through
# qemu-user, the Windows zip and installer, and git, whose last commit dates
# every artefact.
package_packages=("${run_packages[@]}" file g++-mingw-w64-x86-64-posix nsis zip git
  crossbuild-essential-arm64 qt6-base-dev:arm64 qemu-user-static)
# Beyond the suites themselves (the arm64 one run under qemu-user): the
# package's validators, a virtual X display with a window manager for
# starting the packaged program, and a headless Wayland compositor.
test_packages=("${package_packages[@]}" libgtest-dev:arm64 libgmock-dev:arm64
  libgtest-dev libgmock-dev googletest
  wine wine64 xvfb xauth clang libclang-rt-dev
  lintian desktop-file-utils appstream openbox xdotool x11-utils weston icoutils)
# Google Benchmark, and the peers the benchmarks are compared with: OpenCV
# and Pillow through Debian's own interpreter, libvips and ImageMagick
# through their C libraries (bench/peer_libraries.cpp, built when
# pkg-config finds both).
bench_packages=("${run_packages[@]}" libbenchmark-dev python3-numpy python3-opencv python3-pil
  pkg-config libvips-dev libmagickcore-dev)
# scripts/render-icons.sh: rsvg-convert and icotool.
icons_packages=(librsvg2-bin icoutils)
# A virtual display with a window manager, xdotool to drive the dialog and
# ImageMagick's import to take the picture; the Windows one under Wine,
# whose own Marlett font draws the caption's buttons.
# scripts/fuzz.sh: clang with its sanitizer and fuzzer runtime.
fuzz_packages=("${run_packages[@]}" clang libclang-rt-dev)
screenshot_tools=(xvfb xdotool imagemagick x11-utils openbox)
screenshot_packages=("${run_packages[@]}" "${screenshot_tools[@]}")
screenshot_windows_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest nsis zip
  wine wine64 fonts-wine "${screenshot_tools[@]}")

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  package) wanted=("${package_packages[@]}") ;;
  icons) wanted=("${icons_packages[@]}") ;;
  fuzz) wanted=("${fuzz_packages[@]}") ;;
  screenshot) wanted=("${screenshot_packages[@]}") ;;
  screenshot-windows) wanted=("${screenshot_windows_packages[@]}") ;;
  *) echo "usage: $0 run|test|bench|package|icons|fuzz|screenshot|screenshot-windows" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && { [ -t 0 ] || sudo -n true 2>/dev/null; }; then
  as_root=(sudo)
else
  echo "Varne needs these Debian packages: ${missing[*]}" >&2
  case " ${missing[*]}" in
    *:arm64*) echo "First add arm64: sudo dpkg --add-architecture arm64 && sudo apt-get update" >&2 ;;
  esac
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "Installing ${missing[*]}" >&2
# The :arm64 packages need arm64 as a foreign architecture of this machine:
# a change to its dpkg and apt configuration, kept for every later install.
case " ${missing[*]}" in
  *:arm64*)
    dpkg --print-foreign-architectures | grep -qx arm64 || {
      echo "Adding arm64 to this machine's architectures (dpkg --add-architecture arm64)" >&2
      "${as_root[@]}" dpkg --add-architecture arm64
    } ;;
esac
# Through env: sudo starts its command with an environment of its own.
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
