#!/usr/bin/python3
"""Checks an image with pycdlib against the folder it was made from.

usage: check_image.py IMAGE SOURCE_FOLDER joliet(0|1) udf(0|1)

pycdlib opens the image with its own consistency checks (both byte orders of the path tables,
directory records against path tables, UDF tags and CRCs). Then the primary tree must hold valid
8.3 names and the same file contents as the source; the Joliet and UDF trees, when present, must
hold the same names and contents. Prints one line per problem; exit status 1 when any.
"""
import hashlib
import io
import os
import re
import sys

import pycdlib

image, source, want_joliet, want_udf = sys.argv[1], sys.argv[2], sys.argv[3] == "1", sys.argv[4] == "1"
problems = []

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

if want_joliet and iso.has_joliet():
    files, dirs = image_tree(iso, "joliet_path", strip_version)
    if files != src_files or dirs != src_dirs:
        problems.append("Joliet tree differs: missing %s extra %s" % (
            sorted(set(src_files) - set(files))[:5], sorted(set(files) - set(src_files))[:5]))
if want_udf and iso.has_udf():
    files, dirs = image_tree(iso, "udf_path", lambda n: n)
    if files != src_files or dirs != src_dirs:
        problems.append("UDF tree differs")
iso.close()

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
