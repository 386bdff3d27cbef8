#!/usr/bin/env python3
"""Deep-scan benchmark: builds (once, cached) an image of real files between runs of old data and
runs our scanner, PhotoRec, foremost and scalpel on it, printing seconds, throughput and how many
original files each recovered byte for byte."""

import argparse, glob, hashlib, json, os, random, re, shutil, subprocess, sys, time

SECTOR = 512
TARGET = 2 * 1024**3 + 256 * 1024**2  # a little over 2 GiB
MAX_FILE = 24 * 1024**2

# Extension -> how many real files of it to take from the system.
QUOTAS = {"gz": 120, "png": 90, "jar": 30, "exe": 30, "wav": 30, "db": 15, "gif": 20, "jpg": 40,
          "jpeg": 10, "pdf": 10, "odt": 5, "doc": 5, "mp3": 5, "oga": 20, "ogg": 10, "zip": 10,
          "svgz": 0, "tif": 10, "bmp": 10, "sqlite": 5, "7z": 5, "flac": 5, "mkv": 5}
ROOTS = ["/usr/share", "/usr/lib", "/usr/local/lib", "/usr/local/share"]


def sha1(data):
    return hashlib.sha1(data).hexdigest()


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def system_files():
    found = {}
    for root in ROOTS:
        for dirpath, _, names in os.walk(root):
            for n in names:
                ext = n.rsplit(".", 1)[-1].lower() if "." in n else ""
                if QUOTAS.get(ext, 0) == 0:
                    continue
                p = os.path.join(dirpath, n)
                if os.path.islink(p) or not os.path.isfile(p):
                    continue
                size = os.path.getsize(p)
                if 2048 <= size <= MAX_FILE:
                    found.setdefault(ext, []).append(p)
    return found


def generated_files(gen, pngs, wavs):
    """Formats the system has few of, made by the distribution's tools from real inputs."""
    os.makedirs(gen, exist_ok=True)
    out = []
    rnd = random.Random(7)
    pngs = sorted(pngs)
    rnd.shuffle(pngs)
    big = [p for p in pngs if os.path.getsize(p) > 20000][:60] or pngs[:60]
    for i, p in enumerate(big):
        for ext, n in (("jpg", 25), ("tif", 12), ("bmp", 8), ("psd", 6), ("gif", 8)):
            if i < n:
                dst = os.path.join(gen, "g%03d.%s" % (i, ext))
                if not os.path.exists(dst):
                    run(["convert", p, dst])
                if os.path.exists(dst):
                    out.append(dst)
    # Sound: the desktop's sound theme decoded to WAV, then encoded by the distribution's tools.
    oga = sorted(glob.glob("/usr/share/sounds/freedesktop/stereo/*.oga"))
    for i, src in enumerate(oga):
        w = os.path.join(gen, "s%03d.wav" % i)
        if not os.path.exists(w) and shutil.which("oggdec"):
            run(["oggdec", "-Q", "-o", w, src])
        if os.path.exists(w):
            wavs.append(w)
            out.append(w)
    wavs = sorted(set(wavs))[:24]
    for i, w in enumerate(wavs):
        for ext, cmd in (("flac", ["flac", "-s", "-f", "-o", "{dst}", w]),
                         ("mp3", ["lame", "--quiet", "--add-id3v2", "--tt", "t%d" % i, w, "{dst}"]),
                         ("ogg", ["oggenc", "-Q", "-o", "{dst}", w])):
            dst = os.path.join(gen, "a%03d.%s" % (i, ext))
            if not os.path.exists(dst) and shutil.which(cmd[0]):
                run([c.replace("{dst}", dst) for c in cmd])
            if os.path.exists(dst):
                out.append(dst)
        if i < 8 and shutil.which("mkvmerge"):
            src = os.path.join(gen, "a%03d.ogg" % i)
            for ext, extra in (("mkv", []), ("webm", ["--webm"])):
                dst = os.path.join(gen, "v%03d.%s" % (i, ext))
                if not os.path.exists(dst) and os.path.exists(src):
                    run(["mkvmerge", "-q"] + extra + ["-o", dst, src])
                if os.path.exists(dst):
                    out.append(dst)
    # Archives and databases of the packages' documentation.
    docs = sorted(glob.glob("/usr/share/doc/*/copyright"))[:240]
    for i in range(12):
        chunk = docs[i * 20:(i + 1) * 20]
        if not chunk:
            break
        folder = os.path.join(gen, "docs%03d" % i)
        if not os.path.isdir(folder):
            os.makedirs(folder)
            for c in chunk:
                shutil.copy(c, os.path.join(folder, c.split("/")[-2] + ".txt"))
        names = sorted(os.path.join(folder, n) for n in os.listdir(folder))
        z = os.path.join(gen, "d%03d.zip" % i)
        if not os.path.exists(z):
            run(["zip", "-q", "-j", z] + names)
        s = os.path.join(gen, "d%03d.7z" % i)
        if i < 6 and not os.path.exists(s) and shutil.which("7z"):
            run(["7z", "a", "-bd", s] + names)
        db = os.path.join(gen, "d%03d.sqlite" % i)
        if i < 6 and not os.path.exists(db):
            sql = "create table t(name, body);" + "".join(
                "insert into t values('%s', readfile('%s'));" % (n, n) for n in names)
            run(["sqlite3", db, sql])
        out += [f for f in (z, s, db) if os.path.exists(f)]
    return out


def build_image(cache):
    image = os.path.join(cache, "carve-bench.img")
    manifest = os.path.join(cache, "carve-bench.json")
    if os.path.exists(image) and os.path.exists(manifest):
        return image, json.load(open(manifest))
    print("building the benchmark image (once) ...", flush=True)
    found = system_files()
    rnd = random.Random(1)
    chosen, seen = [], set()
    for ext, paths in sorted(found.items()):
        paths = sorted(paths)
        rnd.shuffle(paths)
        taken = 0
        for p in paths:
            if taken >= QUOTAS[ext]:
                break
            data = open(p, "rb").read()
            if ext == "db" and not data.startswith(b"SQLite format 3\0"):
                continue
            h = sha1(data)
            if h in seen:
                continue
            seen.add(h)
            chosen.append(p)
            taken += 1
    for p in generated_files(os.path.join(cache, "gen"), found.get("png", []), found.get("wav", [])):
        h = sha1(open(p, "rb").read())
        if h not in seen:
            seen.add(h)
            chosen.append(p)
    rnd.shuffle(chosen)
    total = sum(os.path.getsize(p) for p in chosen)
    gap_budget = max(TARGET - total, len(chosen) * SECTOR)
    mean_gap = gap_budget // (len(chosen) + 1)
    entries = []
    tmp = image + ".part"
    with open(tmp, "wb") as out:
        def old_data(n):
            while n > 0:
                k = min(n, 8 * 1024**2)
                out.write(os.urandom(k))
                n -= k
        for p in chosen:
            old_data(rnd.randint(1, 2 * mean_gap // SECTOR) * SECTOR)
            data = open(p, "rb").read()
            entries.append({"path": p, "offset": out.tell(), "size": len(data), "sha1": sha1(data),
                            "ext": p.rsplit(".", 1)[-1].lower()})
            out.write(data)
            old_data((-len(data)) % SECTOR)
        old_data(max(TARGET - out.tell(), 0) // SECTOR * SECTOR + SECTOR)
    os.rename(tmp, image)
    json.dump(entries, open(manifest, "w"))
    return image, entries


def hashes_in(folder):
    got = set()
    for dirpath, _, names in os.walk(folder):
        for n in names:
            p = os.path.join(dirpath, n)
            if n in ("report.xml", "audit.txt") or os.path.islink(p):
                continue
            with open(p, "rb") as f:
                got.add(sha1(f.read()))
    return got


def count_files(folder):
    return sum(len([n for n in names if n not in ("report.xml", "audit.txt")]) for _, _, names in os.walk(folder))


def timed(cmd, **kw):
    start = time.monotonic()
    r = run(cmd, **kw)
    return time.monotonic() - start, r


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--scanner", required=True)
    ap.add_argument("--config", required=True)
    ap.add_argument("--cache", required=True)
    ap.add_argument("--only", default="")
    ap.add_argument("--peer-timeout", type=int, default=1200)
    args = ap.parse_args()
    args.cache, args.scanner, args.config = (os.path.abspath(p) for p in (args.cache, args.scanner, args.config))
    os.makedirs(args.cache, exist_ok=True)
    image, entries = build_image(args.cache)
    size = os.path.getsize(image)
    wanted = {e["sha1"] for e in entries}
    by_range = {(e["offset"], e["size"]) for e in entries}
    print("image: %.2f GiB, %d original files" % (size / 1024**3, len(entries)), flush=True)
    work = os.path.join(args.cache, "runs")
    results = []
    recovered = {}
    tools = args.only.split(",") if args.only else ["ours", "photorec", "foremost", "scalpel"]

    # Read the image once so that every tool starts with it in the page cache alike.
    with open(image, "rb") as f:
        while f.read(64 * 1024**2):
            pass

    for tool in tools:
        out = os.path.join(work, tool)
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        if tool == "ours":
            secs, r = timed([args.scanner, image, args.config])
            lines = [l.split("\t") for l in r.stdout.decode().splitlines() if l.count("\t") == 2]
            hits = {(int(off), int(sz)) for ext, off, sz in lines} & by_range
            recovered[tool] = {e["sha1"] for e in entries if (e["offset"], e["size"]) in hits}
            results.append((tool, secs, len(lines), len(hits)))
        elif tool == "photorec":
            secs, r = timed(["photorec", "/log", "/d", os.path.join(out, "recup"), "/cmd", image,
                             "partition_none,options,paranoid,fileopt,everything,enable,search"], cwd=out)
            recovered[tool] = wanted & hashes_in(out)
            results.append((tool, secs, count_files(out), len(recovered[tool])))
        elif tool == "foremost":
            secs, r = timed(["foremost", "-q", "-Q", "-t", "all", "-i", image, "-o", os.path.join(out, "o")])
            recovered[tool] = wanted & hashes_in(out)
            results.append((tool, secs, count_files(out), len(recovered[tool])))
        elif tool == "scalpel":
            conf = os.path.join(out, "scalpel.conf")
            with open("/etc/scalpel/scalpel.conf") as src, open(conf, "w") as dst:
                for line in src:
                    m = re.match(r"^#(\s+\S+\s+[yYnN]\s+\d+\s+\S+.*)$", line)
                    dst.write(m.group(1) + "\n" if m else line)
            try:
                secs, r = timed(["scalpel", "-q", "512", "-c", conf, "-o", os.path.join(out, "o"), image],
                                timeout=args.peer_timeout)
            except subprocess.TimeoutExpired:
                secs = float(args.peer_timeout)
                print("  scalpel stopped after %d s" % args.peer_timeout)
            recovered[tool] = wanted & hashes_in(os.path.join(out, "o"))
            results.append((tool, secs, count_files(os.path.join(out, "o")), len(recovered[tool])))
        print("  %s done in %.1f s" % (tool, results[-1][1]), flush=True)

    print()
    print("%-10s %9s %10s %8s %14s" % ("tool", "seconds", "MiB/s", "files", "exact recall"))
    ref = {t: (s, e) for t, s, _, e in results}
    for tool, secs, files, exact in results:
        print("%-10s %9.1f %10.1f %8d %7d/%-6d" % (tool, secs, size / 1024**2 / secs, files, exact, len(entries)))
    if "ours" in ref and "photorec" in ref:
        s_o, e_o = ref["ours"]
        s_p, e_p = ref["photorec"]
        print()
        print("throughput ours/photorec: %.2f   exact recall ours/photorec: %.2f" % (s_p / s_o, e_o / max(e_p, 1)))
    # Per extension, to see what each one misses.
    if recovered:
        names = sorted(recovered)
        print()
        print("%-8s %6s " % ("ext", "files") + " ".join("%9s" % n for n in names))
        for ext in sorted({e["ext"] for e in entries}):
            group = [e["sha1"] for e in entries if e["ext"] == ext]
            print("%-8s %6d " % (ext, len(group)) + " ".join("%9d" % len(recovered[n] & set(group)) for n in names))
    return 0


if __name__ == "__main__":
    sys.exit(main())
