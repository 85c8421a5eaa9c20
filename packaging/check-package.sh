#!/usr/bin/env bash
# Builds the .deb from a built tree (default build/test), installs the tree into a staging
# folder and checks what a desktop would read: check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/test}
# The desktop id, from the one place that names it.
id=$(sed -n 's/^inline constexpr char DesktopId\[\] = "\(.*\)";.*$/\1/p' data/ProgramIdentity.h)
test -n "$id" || { echo "no DesktopId in data/ProgramIdentity.h" >&2; exit 1; }

cmake --build "$dir" --target package
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$dir/CPackConfig.cmake")
deb="$dir/tolvane_${version}_$(dpkg --print-architecture).deb"
test -f "$deb" || { echo "no package $deb" >&2; exit 1; }
dpkg-deb --field "$deb" Package Version Depends Recommends

stage="$dir/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$dir" --prefix /usr >/dev/null
desktop-file-validate "$stage/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml"

# The package holds what the staging folder holds, and never a settings file beside the
# programs (which would make the installed program portable).
diff <(cd "$stage" && find . -type f | sort) \
  <(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
test ! -e "$stage/usr/bin/pavolen.ini"
for size in 48x48 128x128 256x256 scalable; do
  ls "$stage/usr/share/icons/hicolor/$size/apps/$id".* >/dev/null
done

# The installed programs answer without a display.
for program in tolvane tolvane-search tolvane-drawsvc; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/usr/bin/$program" --version)
  echo "$answer"
  test "$answer" = "$program $version"
  zcat "$stage/usr/share/man/man1/$program.1.gz" | grep -q "^\.TH"
done
echo "package $deb checked"
