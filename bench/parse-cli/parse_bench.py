#!/usr/bin/python3
"""`tidewell-cli parse` beside python feedparser on one large RSS document.

Writes a 10 MB RSS 2.0 document of 10,000 items (about 1 KB each, the shape of
bench/feeds), then times whole processes: `tidewell-cli parse FILE` with its
output sent to /dev/null, and `python3 -c "feedparser.parse(FILE)"` (Debian's
python3-feedparser), each REPS times; prints the medians, the best runs and the
ratio. Run it against the Release build:

    /usr/bin/python3 bench/parse-cli/parse_bench.py [--cli build/release/bin/tidewell-cli] [--reps 5]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def make_rss(path, count=10000):
    filler = "Tides rise and fall twice a day; &lt;b&gt;the moon&lt;/b&gt; pulls. " * 13
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Bench</title>\n')
        for i in range(count - 1, -1, -1):
            day = 1 + (i // 86400) % 28
            seconds = i % 86400
            date = "Mon, %02d Jan 2024 %02d:%02d:%02d GMT" % (day, seconds // 3600, (seconds // 60) % 60, seconds % 60)
            out.write("<item><title>Item %d</title><link>http://bench.example/item/%d</link><pubDate>%s</pubDate>"
                      "<description>%s</description><enclosure url=\"http://bench.example/%d.mp3\"/></item>\n"
                      % (i, i, date, filler, i))
        out.write("</channel></rss>\n")


def run(command, reps):
    times = []
    for _ in range(reps):
        start = time.monotonic()
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=600)
        times.append(time.monotonic() - start)
        if done.returncode != 0:
            sys.stderr.write(done.stderr.decode(errors="replace")[-2000:])
            raise SystemExit("%s exited with %d" % (command[0], done.returncode))
    return statistics.median(times), min(times)


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(root, "build", "release", "bin", "tidewell-cli"))
    parser.add_argument("--reps", type=int, default=5)
    args = parser.parse_args()
    if not os.access(args.cli, os.X_OK):
        raise SystemExit("no tidewell-cli at %s (build the Release tree first)" % args.cli)
    with tempfile.TemporaryDirectory(prefix="tidewell-parse-bench-") as work:
        feed = os.path.join(work, "big.xml")
        make_rss(feed)
        env_home = os.path.join(work, "home")
        os.makedirs(env_home)
        tw = run([args.cli, "--home", env_home, "parse", feed], args.reps)
        fp = run(["/usr/bin/python3", "-c", "import feedparser, sys; feedparser.parse(sys.argv[1])", feed], args.reps)
        size = os.path.getsize(feed) / 1e6
    print("document: %.1f MB, 10,000 items; %d runs each, whole processes" % (size, args.reps))
    print("%-22s median %8.1f ms  best %8.1f ms" % ("tidewell-cli parse", tw[0] * 1e3, tw[1] * 1e3))
    print("%-22s median %8.1f ms  best %8.1f ms" % ("python3 feedparser", fp[0] * 1e3, fp[1] * 1e3))
    print("feedparser / tidewell-cli: %.1fx (target: at least 20x)" % (fp[0] / tw[0]))


if __name__ == "__main__":
    main()
