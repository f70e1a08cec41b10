#!/bin/bash
# End to end onto an independent drive: tgt's user-space iSCSI target emulates an MMC drive
# (a blank DVD+R on an empty backing file). quivera-burn writes a folder and an image onto it
# over 127.0.0.1; the backing files are checked by xorriso, isoinfo, udfinfo, 7z and cmp.
# Exit 77 (skipped) when tgtd cannot run here, with the reason.
# usage: tgt_burn_test.sh QUIVERA_BURN QUIVERA_MKISO
set -u
BURN=$1
MKISO=$2

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*"
    exit 1
}

TGTD=$(command -v tgtd || echo /usr/sbin/tgtd)
TGTADM=$(command -v tgtadm || echo /usr/sbin/tgtadm)
[ -x "$TGTD" ] && [ -x "$TGTADM" ] || skip "tgtd/tgtadm not installed (Debian package tgt)"
for tool in xorriso isoinfo udfinfo 7z python3; do
    command -v $tool >/dev/null || skip "$tool not installed"
done

WORK=$(mktemp -d /tmp/quivera-tgt-XXXXXX)
TGTD_PID=
cleanup() {
    if [ -n "$TGTD_PID" ]; then
        for tid in 1 2; do
            "$TGTADM" -C "$CTRL" --lld iscsi --mode target --op delete --force --tid $tid \
                >/dev/null 2>&1
        done
        # tgtd stops on its own command; a kill by its process id is the fallback.
        "$TGTADM" -C "$CTRL" --op delete --mode system >/dev/null 2>&1
        for _ in $(seq 50); do
            kill -0 "$TGTD_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$TGTD_PID" 2>/dev/null
        wait "$TGTD_PID" 2>/dev/null
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap "exit 1" INT TERM

# A port of our own on the loopback interface; the control socket is numbered after it.
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
CTRL=$((PORT % 9000 + 1000)) # tgtd takes small control numbers only
"$TGTD" -f -C "$CTRL" --iscsi portal=127.0.0.1:$PORT >"$WORK/tgtd.log" 2>&1 &
TGTD_PID=$!
adm() { "$TGTADM" -C "$CTRL" --lld iscsi "$@"; }
for _ in $(seq 50); do
    kill -0 "$TGTD_PID" 2>/dev/null || { TGTD_PID=; skip "tgtd does not run here: $(tail -3 "$WORK/tgtd.log" | tr '\n' ' ')"; }
    adm --mode target --op show >/dev/null 2>&1 && break
    sleep 0.1
done
adm --mode target --op show >/dev/null 2>&1 || skip "tgtd does not answer on its control socket"

new_drive() { # tid name backing-file
    : >"$3"
    adm --mode target --op new --tid "$1" --targetname "$2" || fail "cannot create target $2"
    adm --mode logicalunit --op new --tid "$1" --lun 1 --backing-store "$3" --device-type cd ||
        fail "cannot add the drive to $2"
    adm --mode target --op bind --tid "$1" --initiator-address 127.0.0.1 || fail "cannot bind $2"
}
IQN1=iqn.2026-01.org.quivera:folder
IQN2=iqn.2026-01.org.quivera:image
new_drive 1 $IQN1 "$WORK/folder.disc"
new_drive 2 $IQN2 "$WORK/image.disc"
DEV1=iscsi://127.0.0.1:$PORT/$IQN1/1
DEV2=iscsi://127.0.0.1:$PORT/$IQN2/1

# A small tree.
SRC=$WORK/src
mkdir -p "$SRC/Pictures/Küche" "$SRC/empty folder"
head -c 150000 /dev/urandom >"$SRC/QIVUser.mdb"
head -c 70000 /dev/urandom >"$SRC/Pictures/Küche/sofa 1.jpg"
echo "inventory" >"$SRC/readme"
: >"$SRC/empty.txt"

"$BURN" --device "$DEV1" --info >"$WORK/info" 2>&1 || fail "--info: $(cat "$WORK/info")"
grep -q "^disc: DVD+R$" "$WORK/info" || fail "the target should present a blank DVD+R: $(cat "$WORK/info")"

"$BURN" --device "$DEV1" --volume-id "QIV BACKUP" "$SRC" 2>"$WORK/burn.log" ||
    fail "burning the folder: $(cat "$WORK/burn.log")"
ISO=$WORK/folder.disc
xorriso -return_with WARNING 32 -indev "$ISO" -toc >"$WORK/x.log" 2>&1 || fail "xorriso: $(cat "$WORK/x.log")"
isoinfo -d -i "$ISO" | grep -q "^Volume id: QIV BACKUP$" || fail "isoinfo does not find the volume"
xorriso -osirrox on -read_fs norock -indev "$ISO" -extract / "$WORK/joliet" >"$WORK/x.log" 2>&1 ||
    fail "xorriso extraction: $(cat "$WORK/x.log")"
diff -r "$SRC" "$WORK/joliet" || fail "the Joliet tree differs from the folder"
udfinfo "$ISO" | grep -q "^udfrev=1.50$" || fail "udfinfo does not find UDF 1.50"
7z x -tudf -y -o"$WORK/udf" "$ISO" >"$WORK/7z.log" 2>&1 || fail "7z: $(cat "$WORK/7z.log")"
diff -r "$SRC" "$WORK/udf" || fail "the UDF tree differs from the folder"

# The disc is closed now: a second burn fails cleanly, naming the cause.
"$BURN" --device "$DEV1" "$SRC" 2>"$WORK/again.log" && fail "a second burn onto the closed disc succeeded"
grep -q "quivera-burn: " "$WORK/again.log" || fail "no reason given: $(cat "$WORK/again.log")"
timeout 5 "$BURN" --device "$DEV1" --info >/dev/null 2>&1 || fail "the drive does not answer after the refused burn"

# The drive refuses to blank a DVD+R: the message names the command and the drive's answer.
"$BURN" --device "$DEV1" --erase 2>"$WORK/erase.log" && fail "erasing a DVD+R succeeded"
grep -q "(BLANK failed: sense 5/" "$WORK/erase.log" || fail "the refused erase does not name the command: $(cat "$WORK/erase.log")"

# An image burnt as it is: the backing file equals it byte for byte.
"$MKISO" --quiet --volume-id IMAGE -o "$WORK/made.iso" "$SRC" || fail "quivera-mkiso"
"$BURN" --device "$DEV2" --quiet --image "$WORK/made.iso" 2>"$WORK/image.log" ||
    fail "burning the image: $(cat "$WORK/image.log")"
cmp "$WORK/made.iso" "$WORK/image.disc" || fail "the disc differs from the image"
xorriso -return_with WARNING 32 -indev "$WORK/image.disc" -toc >"$WORK/x.log" 2>&1 ||
    fail "xorriso on the image disc: $(cat "$WORK/x.log")"

# A drive that is not there fails with a message, not a hang.
timeout 20 "$BURN" --device "iscsi://127.0.0.1:$PORT/iqn.2026-01.org.quivera:none/1" --info \
    >"$WORK/none.log" 2>&1 && fail "a missing target was reported as a drive"
grep -q "cannot reach" "$WORK/none.log" || fail "missing drive: $(cat "$WORK/none.log")"
echo "passed"
