#!/usr/bin/env python3
"""Image-build benchmark for the disc writer.

Builds an image of a generated 512 MiB tree (about 300 files in nested folders) with
quivera-mkiso and, on the same tree in the same run, with `genisoimage -J -o` and
`xorriso -as mkisofs -J -o`, and times `cat` of every file to /dev/null as the baseline.
Every command runs with a warm page cache; each is timed several times and the best run counts.
Peak memory is the largest resident set of the quivera-mkiso process.

usage: bench_mkiso.py QUIVERA_MKISO [--work DIR] [--runs N] [--keep]
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

MiB = 1 << 20


def make_tree(root, total=512 * MiB, files=300, seed=1):
    rng = random.Random(seed)
    weights = [rng.uniform(0.2, 1.8) for _ in range(files)]
    scale = total / sum(weights)
    sizes = [int(w * scale) for w in weights]
    sizes[-1] += total - sum(sizes)
    block = os.urandom(4 * MiB)
    for i, size in enumerate(sizes):
        folder = os.path.join(root, "area %02d" % (i % 10), "shelf %d" % (i % 3), "box %d" % (i % 2))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "photo %03d.jpg" % i), "wb") as f:
            left, off = size, (i * 4099) % MiB
            while left:
                n = min(left, len(block) - off)
                f.write(block[off:off + n])
                left -= n
                off = 0
    return sum(sizes)


TIME = shutil.which("time") or "/usr/bin/time"


def timed(cmd, shell=False):
    """Wall seconds and peak resident set (bytes) of one run of `cmd`.

    The resident set comes from GNU time, which measures the command itself rather than the
    forked copy of this interpreter that precedes the exec.
    """
    rss_file = tempfile.NamedTemporaryFile(delete=False)
    rss_file.close()
    wrapped = [TIME, "-f", "%M", "-o", rss_file.name] + list(cmd) if os.path.exists(TIME) else cmd
    start = time.perf_counter()
    status = subprocess.call(wrapped, shell=shell, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    try:
        with open(rss_file.name) as f:
            rss = int(f.read().split()[-1]) * 1024
    except (OSError, ValueError, IndexError):
        rss = 0
    os.remove(rss_file.name)
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return elapsed, rss


def best(cmd, runs, shell=False, cleanup=None):
    results = []
    for _ in range(runs):
        if cleanup:
            cleanup()
        results.append(timed(cmd, shell))
    return min(r[0] for r in results), max(r[1] for r in results)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("mkiso")
    ap.add_argument("--work", default=None)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--keep", action="store_true")
    args = ap.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="quivera-bench-")
    tree = os.path.join(work, "tree")
    out = os.path.join(work, "out.iso")
    try:
        if not os.path.isdir(tree):
            print("generating the tree in %s ..." % tree, flush=True)
            make_tree(tree)
        files = sorted(os.path.join(d, f) for d, _, fs in os.walk(tree) for f in fs)
        total = sum(os.path.getsize(f) for f in files)
        print("tree: %d files, %.0f MiB" % (len(files), total / MiB))

        def rm():
            if os.path.exists(out):
                os.remove(out)

        # Warm the page cache so that every contender reads from memory.
        best(["cat"] + files, 1)
        cat = best(["sh", "-c", 'cat "$@" > /dev/null', "cat"] + files, args.runs)
        rows = [("cat > /dev/null", cat)]
        mk = best([args.mkiso, "-q", "-o", out, tree], args.runs, cleanup=rm)
        rows.append(("quivera-mkiso (Joliet + UDF)", mk))
        mk_plain = best([args.mkiso, "-q", "--no-udf", "-o", out, tree], args.runs, cleanup=rm)
        rows.append(("quivera-mkiso --no-udf", mk_plain))
        others = []
        if shutil.which("genisoimage"):
            g = best(["genisoimage", "-quiet", "-J", "-o", out, tree], args.runs, cleanup=rm)
            rows.append(("genisoimage -J", g))
            others.append(g[0])
        if shutil.which("xorriso"):
            x = best(["xorriso", "-as", "mkisofs", "-quiet", "-J", "-o", out, tree], args.runs,
                     cleanup=rm)
            rows.append(("xorriso -as mkisofs -J", x))
            others.append(x[0])
        rm()

        print()
        print("%-32s %9s %10s %10s" % ("command", "seconds", "MiB/s", "peak MiB"))
        for name, (sec, rss) in rows:
            print("%-32s %9.3f %10.0f %10.1f" % (name, sec, total / MiB / sec, rss / MiB))
        print()
        ok = True
        if others:
            r = mk[0] / min(others)
            ok &= r <= 1.0
            print("quivera-mkiso / faster of genisoimage and xorriso: %.2f (goal <= 1.00) %s"
                  % (r, "ok" if r <= 1.0 else "MISSED"))
        r = mk[0] / cat[0]
        ok &= r <= 2.0
        print("quivera-mkiso / cat baseline:                      %.2f (goal <= 2.00) %s"
              % (r, "ok" if r <= 2.0 else "MISSED"))
        peak = max(mk[1], mk_plain[1]) / MiB
        ok &= peak <= 64
        print("quivera-mkiso peak memory:                         %.1f MiB (goal <= 64) %s"
              % (peak, "ok" if peak <= 64 else "MISSED"))
        return 0 if ok else 1
    finally:
        if not args.keep and not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
