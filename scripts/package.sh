#!/usr/bin/env bash
# Builds the Debian packages zefr-tools and zefr-editor the Debian way
# (debian/, debhelper) and the Windows zip, and leaves them in dist/:
#   dist/zefr-tools_VERSION_ARCH.deb, dist/zefr-editor_VERSION_ARCH.deb
#   dist/zefr-tools-win32.zip (ZefrCfg.exe, ZefrComm.dll, the defaults, INSTALL.txt)
# Installs what the builds need with apt-get. The package build runs no tests
# (test.sh has run them on the same sources); DEB_BUILD_OPTIONS= runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

. scripts/deps.sh
zefr_packages=(dpkg-dev debhelper fakeroot desktop-file-utils appstream zip g++-mingw-w64-i686)
zefr_install_missing
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# The build dependencies, as debian/control names them.
DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y -qq "$root" </dev/null >/dev/null

# The entry and the metadata must pass the desktop's own checks.
desktop-file-validate editor/res/org.zefr.zefrct_gui.desktop
appstreamcli validate --no-net editor/res/org.zefr.zefrct_gui.metainfo.xml >/dev/null

dist=$root/dist
work=$root/build-deb
rm -rf "$work" "$dist"
mkdir -p "$work/src" "$dist"
# A copy of the sources without build folders, so that dpkg-buildpackage,
# which leaves its results beside the source folder, writes only in build-deb/.
tar -C "$root" --exclude=./.git --exclude='./build*' --exclude=./dist --exclude=./debian/.debhelper -cf - . |
  tar -C "$work/src" -xf -
(
  cd "$work/src"
  DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-nocheck} dpkg-buildpackage -b -us -uc -j"$(nproc)"
) >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; echo "package.sh: the package build failed ($work/build.log)"; exit 1; }
# The debug symbol packages stay behind: dist/ holds what users install.
mv "$work"/zefr-tools_*.deb "$work"/zefr-editor_*.deb "$dist/"

# The Windows programs, cross-built (scripts/windows-check.sh also tests them).
win=$root/build-win
cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
cmake --build "$win" -j "$(nproc)" --target zefrcfg ZefrComm
zip_dir=$work/zefr-tools-win32
mkdir -p "$zip_dir"
cp "$win/bin/ZefrCfg.exe" "$win/bin/ZefrComm.dll" editor/res/ZefrCfgATX.ini editor/res/ZefrCfgBTX.ini "$zip_dir/"
# Windows line ends, so that Notepad shows the text as written.
sed 's/$/\r/' windows/INSTALL.txt >"$zip_dir/INSTALL.txt"
zip -q -X -j "$dist/zefr-tools-win32.zip" "$zip_dir"/*

echo "package.sh: in dist/:"
ls -l "$dist"
