#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION
# Makes the Debian package from the build and checks its contents, its control fields and what
# lintian says of it: no errors.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || {
    cat "$work/cpack.log"
    fail "cpack"
}
debs=("$work"/quivera_"$version"_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no package in $work"

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
id=org.quivera.Quivera
for f in usr/bin/quivera usr/bin/quivera-mkiso usr/bin/quivera-burn \
    usr/share/quivera/QIVData.mdb usr/share/quivera/QIVUser.mdb usr/share/quivera/Eula.txt \
    usr/share/quivera/Content/QIVsplash.bmp usr/share/applications/$id.desktop \
    usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/icons/hicolor/48x48/apps/$id.png usr/share/icons/hicolor/256x256/apps/$id.png \
    usr/share/man/man1/quivera.1.gz usr/share/man/man1/quivera-mkiso.1.gz \
    usr/share/man/man1/quivera-burn.1.gz usr/share/doc/quivera/copyright \
    usr/share/doc/quivera/changelog.gz; do
    grep -qx "./$f" "$work/contents" || fail "the package lacks $f"
done
[ "$(grep -c '^\./usr/share/quivera/Content/.' "$work/contents")" = "$(find "$build/dist/Content" -type f | wc -l)" ] ||
    fail "the package lacks some of Content"

depends=$(dpkg-deb -f "$deb" Depends)
for p in fonts-liberation fonts-liberation2 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libjpeg62-turbo libiscsi7 libzip4; do
    echo "$depends" | grep -Eq "(^|, )$p( |,|$)" || fail "Depends lacks $p: $depends"
done
# libzip and libiscsi are loaded when first needed, not at every start: no program of the package
# names them as needed libraries (they would then be loaded, with all they need, before main).
dpkg-deb -x "$deb" "$work/root"
for program in quivera quivera-mkiso quivera-burn; do
    needed=$(readelf -d "$work/root/usr/bin/$program" | grep NEEDED) || fail "readelf $program"
    ! echo "$needed" | grep -Eq 'libzip|libiscsi' || fail "$program links libzip or libiscsi: $needed"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "Section"
description=$(dpkg-deb -f "$deb" Description)
[ "$(echo "$description" | wc -l)" -gt 3 ] || fail "no long description: $description"

# Errors fail the test; warnings and notes are shown.
rc=0
lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || rc=$?
cat "$work/lintian"
[ "$rc" -le 1 ] || fail "lintian could not check the package"
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"
echo "package test passed"
