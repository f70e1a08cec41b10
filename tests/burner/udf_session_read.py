#!/usr/bin/python3
"""Extracts the UDF tree of the session starting at block START of a disc image, the way a
system reads the last session of a multisession disc: the anchor at START + 256, the volume
descriptors it names, the partition, the file set and the file entries. Every descriptor tag
must carry its own location (absolute for volume descriptors, partition-relative otherwise).

usage: udf_session_read.py IMAGE START OUT_FOLDER
"""
import os
import struct
import sys

image, start, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
data = open(image, "rb").read()
B = 2048


def block(n):
    if (n + 1) * B > len(data):
        sys.exit("block %d beyond the image" % n)
    return data[n * B:(n + 1) * B]


def tag(buf, want_id, want_loc):
    tid, _, checksum, _, _, _, _, loc = struct.unpack_from("<HHBBHHHI", buf, 0)
    if tid != want_id:
        sys.exit("tag %d expected, %d found" % (want_id, tid))
    if sum(buf[i] for i in range(16) if i != 4) & 0xFF != checksum:
        sys.exit("bad tag checksum of tag %d" % tid)
    if loc != want_loc:
        sys.exit("tag %d records location %d, found at %d" % (tid, loc, want_loc))


avdp = block(start + 256)
tag(avdp, 2, start + 256)
vds_len, vds_loc = struct.unpack_from("<II", avdp, 16)
part_start = fsd_lb = None
for n in range(vds_loc, vds_loc + vds_len // B):
    b = block(n)
    tid = struct.unpack_from("<H", b, 0)[0]
    if tid == 8:
        break
    tag(b, tid, n)
    if tid == 5:
        part_start = struct.unpack_from("<I", b, 188)[0]
    elif tid == 6:
        fsd_lb = struct.unpack_from("<I", b, 248 + 4)[0]
if part_start is None or fsd_lb is None:
    sys.exit("no partition or logical volume descriptor")


def lblock(lb):
    b = block(part_start + lb)
    return b


fsd = lblock(fsd_lb)
tag(fsd, 256, fsd_lb)
root_lb = struct.unpack_from("<I", fsd, 400 + 4)[0]


def read_fe(lb):
    fe = lblock(lb)
    tag(fe, 261, lb)
    length = struct.unpack_from("<Q", fe, 56)[0]
    l_ea, l_ad = struct.unpack_from("<II", fe, 168)
    ads = fe[176 + l_ea:176 + l_ea + l_ad]
    content = bytearray()
    for i in range(0, len(ads), 8):
        ext_len, pos = struct.unpack_from("<II", ads, i)
        ext_len &= 0x3FFFFFFF
        first = (part_start + pos) * B
        if first + ext_len > len(data):
            sys.exit("file entry %d: extent at logical block %d lies beyond the image" % (lb, pos))
        content += data[first:first + ext_len]
    return fe[16 + 11], bytes(content[:length])


def walk(lb, path):
    os.makedirs(path, exist_ok=True)
    _, fids = read_fe(lb)
    i = 0
    while i + 38 <= len(fids):
        chars, l_fi = fids[i + 18], fids[i + 19]
        icb_lb = struct.unpack_from("<I", fids, i + 20 + 4)[0]
        l_iu = struct.unpack_from("<H", fids, i + 36)[0]
        name_bytes = fids[i + 38 + l_iu:i + 38 + l_iu + l_fi]
        i += (38 + l_iu + l_fi + 3) & ~3
        if chars & 0x08:  # parent
            continue
        name = (name_bytes[1:].decode("latin-1") if name_bytes[0] == 8
                else name_bytes[1:].decode("utf-16-be"))
        kind, content = read_fe(icb_lb)
        if chars & 0x02:
            walk(icb_lb, os.path.join(path, name))
        else:
            with open(os.path.join(path, name), "wb") as f:
                f.write(content)


walk(root_lb, out)
