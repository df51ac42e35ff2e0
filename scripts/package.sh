#!/usr/bin/env bash
# package.sh: builds the release trees and writes what a user installs into
# dist/: the Debian packages for amd64 and arm64, the Windows zip and the
# Windows installer, and SHA256SUMS of them all. Installs the Debian
# packages it lacks, as the other scripts do.
#
# The artefacts are reproducible: built again from the same commit, in any
# folder, at any time, under any umask, they are the same bytes. Every file
# time in them is SOURCE_DATE_EPOCH, taken from the last commit's date when
# the caller has not set it (tests/packaging/check_reproducible.sh checks).
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
    echo "package.sh: not a git checkout; set SOURCE_DATE_EPOCH to the sources' date" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH

jobs=$(nproc)
mkdir -p dist
rm -f dist/varne_*.deb dist/varne-*-windows-x64.zip dist/varne-*-setup.exe dist/SHA256SUMS

# The Debian packages: amd64 natively, arm64 cross-built.
for tree in release release-arm64; do
  cmake --preset "$tree" >/dev/null
  cmake --build "build/$tree" -j "$jobs" --target varne varne_package_docs
  # CPack gives the .deb's own members the modes of its temporary files,
  # which follow the umask; the install rules fix every other mode.
  (cd "build/$tree" && rm -rf dist && umask 022 && cpack -G DEB >/dev/null)
  cp "build/$tree"/dist/varne_*.deb dist/
done

# The Windows build makes its zip and installer as part of the build.
cmake --preset windows-release >/dev/null
cmake --build build/windows-release -j "$jobs"
cp build/windows-release/dist/* dist/

(cd dist && sha256sum varne_*.deb varne-*-windows-x64.zip varne-*-setup.exe >SHA256SUMS)
ls -1 dist/*
