#!/usr/bin/python3
"""Checks an image with pycdlib against the folder it was made from.

usage: check_image.py IMAGE SOURCE_FOLDER joliet(0|1) udf(0|1) [contents]

First the raw bytes: the identifier fields of the volume descriptors hold text padded with
spaces (UCS-2 spaces in the Joliet one), the four volume dates are valid digit strings, and in
each tree every directory starts with "." and ".." dated like the folder itself (the root like
the descriptor's root record, which has a date), followed by records in ECMA-119 9.3 order
(name, then extension, each padded with spaces, then version, highest first) with no identifier
twice.

Then pycdlib opens the image with its own consistency checks (both byte orders of the path
tables, directory records against path tables, UDF tags and CRCs). The primary tree must hold
valid 8.3 names and the same file contents as the source; the Joliet and UDF trees, when
present, must hold the same names and contents, or with "contents" (sources whose names the
image cannot keep) the same contents per folder depth. Prints one line per problem; exit status
1 when any.
"""
import hashlib
import io
import os
import re
import sys

import pycdlib
import pycdlib.pycdlibexception

image, source, want_joliet, want_udf = sys.argv[1], sys.argv[2], sys.argv[3] == "1", sys.argv[4] == "1"
contents_only = len(sys.argv) > 5 and sys.argv[5] == "contents"
problems = []

DESCRIPTOR_TEXT_FIELDS = [(8, 32), (40, 32), (190, 128), (318, 128), (446, 128), (574, 128),
                          (702, 37), (739, 37), (776, 37)]
VOLUME_DATES = (813, 830, 847, 864)


def check_text_field(where, field, ucs2):
    if ucs2:
        units = [field[i] << 8 | field[i + 1] for i in range(0, len(field) - 1, 2)]
        if 0 in units:
            problems.append("%s: UCS-2 field not padded with spaces: %r" % (where, field))
        if len(field) % 2 and field[-1] != 0:
            problems.append("%s: odd last byte not zero" % where)
    elif any(c < 0x20 or c > 0x7E for c in field):
        problems.append("%s: field not padded with spaces: %r" % (where, field))


def split_id(units, directory, last_dot):
    """(name, extension, version) of an identifier given as a list of code units."""
    if directory:
        return units, [], 0
    version = 0
    if ord(";") in units:
        semi = len(units) - 1 - units[::-1].index(ord(";"))
        digits = "".join(chr(u) for u in units[semi + 1:])
        version = int(digits) if digits.isdigit() else 0
        units = units[:semi]
    if ord(".") in units:
        dot = len(units) - 1 - units[::-1].index(ord(".")) if last_dot else units.index(ord("."))
        return units[:dot], units[dot + 1:], version
    return units, [], version


def check_order(where, entries, last_dot):
    """entries: (units, is_directory) in record order."""
    parts = [split_id(u, d, last_dot) for u, d in entries]
    if not parts:
        return
    name_len = max(len(p[0]) for p in parts)
    ext_len = max(len(p[1]) for p in parts)
    keys = [(p[0] + [0x20] * (name_len - len(p[0])), p[1] + [0x20] * (ext_len - len(p[1])), -p[2])
            for p in parts]
    for i in range(1, len(keys)):
        if keys[i - 1] > keys[i]:
            problems.append("%s: records out of order at %d: %r after %r" % (
                where, i, "".join(map(chr, entries[i][0])), "".join(map(chr, entries[i - 1][0]))))
            break
    ids = [tuple(u) for u, _ in entries]
    if len(set(ids)) != len(ids):
        problems.append("%s: an identifier is recorded twice" % where)


def raw_checks(data):
    def block(n):
        return data[n * 2048:(n + 1) * 2048]

    trees = []
    n = 16
    while n * 2048 < len(data):
        b = block(n)
        if b[1:6] != b"CD001":
            problems.append("block %d: no volume descriptor before the terminator" % n)
            break
        if b[0] == 255:
            break
        if b[0] == 1:
            trees.append(("primary", b, False))
        elif b[0] == 2 and b[88:91] in (b"%/@", b"%/C", b"%/E"):
            trees.append(("Joliet", b, True))
        n += 1
    for name, d, ucs2 in trees:
        for off, length in DESCRIPTOR_TEXT_FIELDS:
            check_text_field("%s descriptor byte %d" % (name, off), d[off:off + length], ucs2)
        for off in VOLUME_DATES:
            date = d[off:off + 17]
            if not date[:16].isdigit() or not -48 <= (date[16] ^ 0x80) - 0x80 <= 52:
                problems.append("%s descriptor date at %d invalid: %r" % (name, off, date))
        root = d[156:190]
        root_date = root[18:25]
        if root_date[:6] == bytes(6) or not 1 <= root_date[1] <= 12 or not 1 <= root_date[2] <= 31:
            problems.append("%s root record has no valid date: %r" % (name, root_date))
        walk_tree(name, block, ucs2, int.from_bytes(root[2:6], "little"),
                  int.from_bytes(root[10:14], "little"), root_date)


def walk_tree(name, block, ucs2, extent, length, own_date):
    seen = set()
    stack = [("/", extent, length, own_date, own_date)]
    while stack:
        path, extent, length, own_date, parent_date = stack.pop()
        if extent in seen:
            problems.append("%s %s: folder reached twice" % (name, path))
            continue
        seen.add(extent)
        records = []
        for b in range(length // 2048):
            blk = block(extent + b)
            pos = 0
            while pos < 2048 and blk[pos]:
                rec = blk[pos:pos + blk[pos]]
                records.append(rec)
                pos += blk[pos]
        if len(records) < 2 or records[0][33:34] != b"\0" or records[1][33:34] != b"\1":
            problems.append("%s %s: no . and .. records" % (name, path))
            continue
        if records[0][18:25] != own_date:
            problems.append("%s %s: . dated %r, the folder %r" % (name, path, records[0][18:25],
                                                                  own_date))
        if records[1][18:25] != parent_date:
            problems.append("%s %s: .. dated %r, its parent %r" % (name, path, records[1][18:25],
                                                                   parent_date))
        entries = []
        for rec in records[2:]:
            raw = rec[33:33 + rec[32]]
            units = ([raw[i] << 8 | raw[i + 1] for i in range(0, len(raw) - 1, 2)] if ucs2
                     else list(raw))
            is_dir = bool(rec[25] & 2)
            entries.append((units, is_dir))
            if is_dir:
                stack.append((path + "".join(map(chr, units)) + "/",
                              int.from_bytes(rec[2:6], "little"),
                              int.from_bytes(rec[10:14], "little"), rec[18:25], own_date))
        check_order("%s %s" % (name, path), entries, ucs2)


with open(image, "rb") as fp:
    raw_checks(fp.read())

FILE_83 = re.compile(r"^(?=[^.]{1,8}\.)[A-Z0-9_]*(~[0-9]+)?\.[A-Z0-9_]{0,3};1$")
DIR_NAME = re.compile(r"^(?=.{1,8}$)[A-Z0-9_]*(~[0-9]+)?$")


def digest(data):
    return hashlib.sha1(data).hexdigest()


def source_tree():
    """{relative path: sha1} of files and set of relative folder paths."""
    files, dirs = {}, set()
    for root, dnames, fnames in os.walk(source):
        rel = os.path.relpath(root, source)
        rel = "" if rel == "." else rel
        for d in dnames:
            dirs.add(os.path.join(rel, d))
        for f in fnames:
            with open(os.path.join(root, f), "rb") as fp:
                files[os.path.join(rel, f)] = digest(fp.read())
    return files, dirs


def read(iso, **kw):
    out = io.BytesIO()
    iso.get_file_from_iso_fp(out, **kw)
    return out.getvalue()


def image_tree(iso, key, strip):
    files, dirs = {}, set()
    for path, dnames, fnames in iso.walk(**{key: "/"}):
        rel = path.lstrip("/")
        for d in dnames:
            dirs.add(os.path.join(rel, d))
        for f in fnames:
            full = path.rstrip("/") + "/" + f
            files[os.path.join(rel, strip(f))] = digest(read(iso, **{key: full}))
    return files, dirs


def strip_version(name):
    name = re.sub(r";1$", "", name)
    return name[:-1] if name.endswith(".") else name


src_files, src_dirs = source_tree()
iso = pycdlib.PyCdlib()
try:
    iso.open(image)
except Exception as exc:  # pycdlib reports every inconsistency as an exception
    print("pycdlib cannot open the image: %s" % exc)
    sys.exit(1)

if iso.has_joliet() != want_joliet:
    problems.append("Joliet present: %s, expected %s" % (iso.has_joliet(), want_joliet))
if iso.has_udf() != want_udf:
    problems.append("UDF present: %s, expected %s" % (iso.has_udf(), want_udf))

# Primary tree: valid names, same contents per depth (names differ from the source's).
prim_counts = {}
for path, dnames, fnames in iso.walk(iso_path="/"):
    for d in dnames:
        if not DIR_NAME.match(d):
            problems.append("primary folder name not 8.3: %s/%s" % (path, d))
    for f in fnames:
        if not FILE_83.match(f):
            problems.append("primary file name not 8.3: %s/%s" % (path, f))
        full = path.rstrip("/") + "/" + f
        k = (path.count("/") if path != "/" else 0, digest(read(iso, iso_path=full)))
        prim_counts[k] = prim_counts.get(k, 0) + 1
src_counts = {}
for rel, h in src_files.items():
    k = (rel.count("/"), h)
    src_counts[k] = src_counts.get(k, 0) + 1
if prim_counts != src_counts:
    problems.append("primary tree contents differ from the source")

def by_depth(files):
    counts = {}
    for rel, h in files.items():
        k = (rel.count("/"), h)
        counts[k] = counts.get(k, 0) + 1
    return counts


if want_joliet and iso.has_joliet():
    files, dirs = image_tree(iso, "joliet_path", strip_version)
    if contents_only:
        if by_depth(files) != src_counts or len(dirs) != len(src_dirs):
            problems.append("Joliet tree contents differ from the source")
    elif files != src_files or dirs != src_dirs:
        problems.append("Joliet tree differs: missing %s extra %s" % (
            sorted(set(src_files) - set(files))[:5], sorted(set(files) - set(src_files))[:5]))
udf_walkable = True
if want_udf and iso.has_udf():
    try:
        files, dirs = image_tree(iso, "udf_path", lambda n: n)
    except (UnicodeDecodeError, pycdlib.pycdlibexception.PyCdlibInvalidInput):
        # pycdlib decodes a whole path with the compression of its last name and looks names
        # up again by that text; UDF lets every name choose 8 or 16 bits, so a wide folder
        # holding narrow names defeats its walk. Only trees of such names ("contents") may
        # meet this; their callers extract them with 7z instead.
        if not contents_only:
            raise
        udf_walkable = False
if want_udf and iso.has_udf() and udf_walkable:
    if contents_only:
        if by_depth(files) != src_counts or len(dirs) != len(src_dirs):
            problems.append("UDF tree contents differ from the source")
    elif files != src_files or dirs != src_dirs:
        problems.append("UDF tree differs")
iso.close()

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
