#!/usr/bin/env bash
# package.sh: builds the release trees and writes what a user installs into
# dist/: the Debian package, the Windows zip and the Windows installer.
# Installs the Debian packages it lacks, as the other scripts do.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

jobs=$(nproc)
mkdir -p dist

cmake --preset release >/dev/null
cmake --build build/release -j "$jobs" --target varne varne_package_docs
(cd build/release && cpack -G DEB >/dev/null)
rm -f dist/varne_*.deb
cp build/release/dist/varne_*_amd64.deb dist/

# The Windows build makes its zip and installer as part of the build.
cmake --preset windows-release >/dev/null
cmake --build build/windows-release -j "$jobs"
rm -f dist/varne-*-windows-x64.zip dist/varne-*-setup.exe
cp build/windows-release/dist/* dist/

ls -1 dist/*
