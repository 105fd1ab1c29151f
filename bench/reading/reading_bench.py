#!/usr/bin/python3
"""Unread counts and search over many stored items, against a brute-force grep.

Generates FEEDS feeds of ITEMS stored items each (default 200 x 500 = 100,000
items) straight as item-store text (no parser, no network: generation stays
cheap), then times as whole processes:

  - `tidewell-cli unread --json` and `tidewell-cli search WORD`, once cold
    (the item index is built from the stores) and then warm (the index is
    current; every store is still compared by size and time with it);
  - grep over Data/, the brute-force answers to the same two questions: the
    cheapest (-l, -c: which stores hold a match) and the one that finds every
    match (-o), as the index does.

Prints one table (best and median of the runs). Run it against a Release build:

    /usr/bin/python3 bench/reading/reading_bench.py --cli build/rel/bin/tidewell-cli [--feeds 200] [--items 500]
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

WORDS = ("harbour tide ferry quay storm gale lighthouse pilot dredging regatta council market weather fog "
         "island beacon mooring crane cargo fishing tanker buoy coastguard estuary marina").split()
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()


def feed_id(i):
    return "%08X-1111-2222-3333-444444444444" % i


def write_home(home, feeds, items, rnd):
    data = os.path.join(home, "Data")
    os.makedirs(data)
    with open(os.path.join(home, "feeds.fdb"), "w", encoding="utf-8") as db:
        db.write("<categories>")
        for c in range(10):
            db.write('<category name="Category %d">' % c)
            for f in range(c, feeds, 10):
                db.write('<feed name="Feed %d" type="0" id="%s">http://127.0.0.1:9/%d.xml</feed>' % (f, feed_id(f), f))
            db.write("</category>")
        db.write("</categories>\n")
    for f in range(feeds):
        parts = ["<data><items>"]
        for i in range(items):
            # 30 common words and one reference that only a few items share.
            words = " ".join(rnd.choice(WORDS) for _ in range(30)) + " ref%05d" % rnd.randrange(100000)
            status = "1" if rnd.random() < 0.7 else "0"
            parts.append(
                '<item id="%032x" status="%s"><title>Item %d of feed %d: %s</title>'
                "<link>http://example.org/%d/%d</link><date>20%02d-%s-%02dT%02d:%02d:00</date>"
                "<desc>&lt;p&gt;%s &lt;b&gt;more&lt;/b&gt;&lt;/p&gt;</desc><media/></item>"
                % (f * items + i, status, i, f, rnd.choice(WORDS), f, i, 10 + i % 15, MONTHS[i % 12], 1 + i % 28,
                   i % 24, i % 60, words))
        parts.append("</items><latest>20991231000000</latest></data>\n")
        with open(os.path.join(data, feed_id(f) + ".fdb"), "w", encoding="utf-8") as store:
            store.write("".join(parts))


def timed(args, cwd=None):
    start = time.perf_counter()
    # Into a pipe that is read, not /dev/null: GNU grep stops at its first
    # match when its output is /dev/null, as if -q were given.
    done = subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    elapsed = (time.perf_counter() - start) * 1000
    if done.returncode not in (0, 1):  # grep says 1 for "nothing found"
        sys.exit("%s failed: %s" % (" ".join(args), done.stderr.decode()))
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", default="build/test/bin/tidewell-cli")
    parser.add_argument("--feeds", type=int, default=200)
    parser.add_argument("--items", type=int, default=500)
    parser.add_argument("--reps", type=int, default=15)
    parser.add_argument("--word", default="ref04242", help="a word few items hold")
    parser.add_argument("--common", default="lighthouse", help="a word nearly every item holds")
    options = parser.parse_args()
    cli = os.path.abspath(options.cli)
    with tempfile.TemporaryDirectory() as home:
        start = time.perf_counter()
        write_home(home, options.feeds, options.items, random.Random(16))
        generated = (time.perf_counter() - start) * 1000
        size = sum(os.path.getsize(os.path.join(home, "Data", n)) for n in os.listdir(os.path.join(home, "Data")))
        print("%d feeds x %d items, %.0f MB of stores, generated in %.0f ms" %
              (options.feeds, options.items, size / 1e6, generated))
        base = [cli, "--home", home]
        cold_unread = timed(base + ["unread", "--json"])
        index_size = os.path.getsize(os.path.join(home, "ItemIndex.sqlite"))
        rows = [("tidewell-cli unread --json (cold: builds the index)", [cold_unread])]
        cold_search = None
        os.remove(os.path.join(home, "ItemIndex.sqlite"))
        for suffix in ("-wal", "-shm"):
            if os.path.exists(os.path.join(home, "ItemIndex.sqlite" + suffix)):
                os.remove(os.path.join(home, "ItemIndex.sqlite" + suffix))
        cold_search = timed(base + ["search", options.word])
        rows.append(("tidewell-cli search %s (cold: builds the index)" % options.word, [cold_search]))
        measures = [
            ("tidewell-cli unread --json", base + ["unread", "--json"], None),
            ("tidewell-cli search %s" % options.word, base + ["search", options.word], None),
            ("tidewell-cli search --limit 50 %s" % options.common, base + ["search", "--limit", "50", options.common],
             None),
            ("tidewell-cli search %s (every hit printed)" % options.common, base + ["search", options.common], None),
            # -c counts lines, and a store is one line: it says which stores hold an
            # unread item, not how many. -o | wc -l is the count unread gives.
            ("grep -r -c 'status=\"0\"' Data/ (stores, not items)", ["grep", "-r", "-c", 'status="0"', "Data"], home),
            ("grep -r -o 'status=\"0\"' Data/ | wc -l", ["sh", "-c", "grep -r -o 'status=\"0\"' Data | wc -l"], home),
            # -l names the stores, the least a search can say; -o finds every place.
            ("grep -r -l -i %s Data/" % options.word, ["grep", "-r", "-l", "-i", options.word, "Data"], home),
            ("grep -r -o -i %s Data/" % options.word, ["grep", "-r", "-o", "-i", options.word, "Data"], home),
            ("grep -r -l -i %s Data/" % options.common, ["grep", "-r", "-l", "-i", options.common, "Data"], home),
            ("grep -r -o -i %s Data/" % options.common, ["grep", "-r", "-o", "-i", options.common, "Data"], home),
        ]
        for label, args, cwd in measures:
            rows.append((label, [timed(args, cwd) for _ in range(options.reps)]))
        print("item index: %.0f MB" % (index_size / 1e6))
        # The machine may be shared: the fastest run shows the cost, the median the noise.
        for label, values in rows:
            print("%-66s best %8.1f ms  median %8.1f ms  (%d runs)" %
                  (label, min(values), statistics.median(values), len(values)))


if __name__ == "__main__":
    main()
