#!/usr/bin/env bash
# install_test.sh BUILD_DIR VERSION
# Installs the build into a temporary DESTDIR, checks every installed file and its validators,
# then starts the installed program under a virtual X server with a fresh HOME and closes it
# through its File menu, three times: first use, a later start, a start after the shipped
# catalogue changed.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Inside the virtual X server: install_test.sh --gui PREFIX WORK
if [ "${1:-}" = "--gui" ]; then
    usr=$2
    work=$3
    export HOME="$work/home"
    mkdir -p "$HOME"
    unset QUIVERA_HOME XDG_DATA_HOME QUIVERA_DATA_DIR QT_QPA_PLATFORM
    folder="$HOME/.local/share/quivera"
    pid=""
    trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT

    # Sets $wid to the main window of process $1, once the splash screen in front of it is gone.
    main_window() {
        local i
        wid=$(timeout 30 xdotool search --sync --onlyvisible --pid "$1" --name '^Quivera' | head -1)
        [ -n "$wid" ] || fail "no main window"
        for i in $(seq 100); do
            [ "$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l)" -le 1 ] && break
            sleep 0.2
        done
    }
    # Sets $status to the exit status of process $1 once it has ended.
    wait_end() {
        local i
        for i in $(seq 100); do
            kill -0 "$1" 2>/dev/null || break
            sleep 0.2
        done
        kill -0 "$1" 2>/dev/null && fail "$2 did not end"
        status=0
        wait "$1" || status=$?
    }
    # Starts the installed program and closes it through File > Exit; the run must end with 0.
    # With "second", another start on the same program folder is tried while the first runs.
    run_once() {
        "$usr/bin/quivera" 2>"$work/run.err" &
        pid=$!
        main_window "$pid"
        if [ "${1:-}" = second ]; then
            "$usr/bin/quivera" 2>"$work/second.err" &
            local other=$! box
            box=$(timeout 30 xdotool search --sync --onlyvisible --pid "$other" | head -1)
            [ -n "$box" ] || fail "the second start showed nothing"
            xdotool windowfocus --sync "$box" key --clearmodifiers Return
            wait_end "$other" "the second start"
            [ "$status" = 1 ] || fail "the second start ended with $status"
            grep -q "already running on the program folder $folder/" "$work/second.err" ||
                fail "the second start did not say why: $(cat "$work/second.err")"
        fi
        xdotool windowfocus --sync "$wid" key --clearmodifiers alt+f
        sleep 0.5
        xdotool key --clearmodifiers e
        wait_end "$pid" "the program"
        pid=""
        [ "$status" = 0 ] || fail "the program ended with $status: $(cat "$work/run.err")"
    }

    run_once
    for f in QIVData.mdb QIVUser.mdb Eula.txt Content/QIVsplash.bmp; do
        [ -s "$folder/$f" ] || fail "first start made no $folder/$f"
    done
    [ "$(find "$folder/Content" -type f | wc -l)" = "$(find "$usr/share/quivera/Content" -type f | wc -l)" ] ||
        fail "first start copied only part of Content"

    # A saved inventory, as the program's Save As would leave it.
    sqlite3 "$folder/QIVUser.mdb" "CREATE TABLE Attic AS SELECT * FROM Inventory WHERE 0;
        INSERT INTO Attic (ID_Number, Sub_Inventory, Item_Name, Number_Of_Items)
            VALUES (1, 'Tools', 'Hammer', 2);
        INSERT INTO Master_Table VALUES ('Attic');"
    run_once second
    [ "$(sqlite3 "$folder/QIVUser.mdb" "SELECT Item_Name FROM Attic; SELECT * FROM Master_Table;")" = \
        "$(printf 'Hammer\nAttic')" ] || fail "a later start lost the user's inventory"
    [ ! -e "$folder/QIVData.mdb.old" ] || fail "a later start replaced the catalogue"

    # A newer build ships a different catalogue.
    before=$(sha256sum <"$folder/QIVData.mdb")
    sqlite3 "$usr/share/quivera/QIVData.mdb" "PRAGMA user_version = 42;"
    run_once
    [ -e "$folder/QIVData.mdb.old" ] || fail "the replaced catalogue was not kept as QIVData.mdb.old"
    [ "$(sha256sum <"$folder/QIVData.mdb.old")" = "$before" ] || fail "QIVData.mdb.old is not the old catalogue"
    [ "$(sqlite3 "$folder/QIVData.mdb" "PRAGMA user_version;")" = 42 ] || fail "the new catalogue was not copied"
    [ "$(sqlite3 "$folder/QIVUser.mdb" "SELECT Item_Name FROM Attic;")" = Hammer ] ||
        fail "the catalogue's refresh touched the user's database"
    exit 0
fi

build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest="$work/dest"
DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install"
}
usr="$dest/usr"
id=org.quivera.Quivera
for f in bin/quivera bin/quivera-mkiso bin/quivera-burn \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png \
    share/man/man1/quivera.1.gz share/man/man1/quivera-mkiso.1.gz share/man/man1/quivera-burn.1.gz \
    share/doc/quivera/copyright share/doc/quivera/changelog.gz; do
    [ -s "$usr/$f" ] || fail "not installed: $f"
done
diff <(cd "$build/dist" && find . -type f | sort) <(cd "$usr/share/quivera" && find . -type f | sort) ||
    fail "share/quivera does not hold every shipped file"
for size in 48 256; do
    file -b "$usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
        fail "the $size px icon is not a $size px PNG"
done
desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" || {
    cat "$work/appstream.log"
    fail "appstreamcli validate"
}
for tool in quivera quivera-mkiso quivera-burn; do
    page="$usr/share/man/man1/$tool.1.gz"
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$tool.1: $warnings"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "$tool.1 does not render"
    # Without any display: these must not open a window.
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$usr/bin/$tool" --version)" = "$tool $version" ] ||
        fail "$tool --version"
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$usr/bin/$tool" --help | grep -q -- "--version" ||
        fail "$tool --help"
done

# A program folder that cannot be made: one message naming it, no crash.
rc=0
QUIVERA_HOME="$usr/bin/quivera/home" "$usr/bin/quivera" --backup "$work" 2>"$work/err" || rc=$?
[ "$rc" = 1 ] && grep -q "program folder $usr/bin/quivera/home" "$work/err" ||
    fail "unusable program folder: exit $rc, $(cat "$work/err")"

xvfb-run -a "$0" --gui "$usr" "$work"
echo "install test passed"
