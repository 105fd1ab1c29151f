#!/usr/bin/python3
"""Load: one scheduled check of many feeds, some of them faulty.

Serves N generated RSS feeds (10-40 items each) from a threaded HTTP server on
127.0.0.1, of which 5 % misbehave in turn: stall before the headers (the
check's 10 s time-out ends them), reset the connection mid-body, send half a
document, answer 404 with an HTML page, announce more bytes than they send,
redirect to themselves, announce a 200 MB body. Runs `tidewell-cli check` over
a schedule list of all of them under /usr/bin/time -v, twice (cold: empty
stores; warm: everything stored, answers 304 where the validators match), and
checks that every feed has its "Checking" block in schedule.log, that the run
finished, that every store is well-formed and that no store holds an item
twice. Prints wall time and peak RSS per run, and exits non-zero when any of
those checks fails.

    /usr/bin/python3 bench/load-check/load_check.py \
        [--cli build/rel-release/bin/tidewell-cli] [--feeds 2000] [--concurrency 8] [--ceiling-mb 200]
"""

import argparse
import email.utils
import glob
import hashlib
import http.server
import os
import random
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import xml.etree.ElementTree as ET

FAULTS = ["stall", "reset", "half", "notfound", "longer", "loop", "huge"]


def make_feeds(count, seed=11):
    """i -> (kind, body, etag)."""
    rnd = random.Random(seed)
    now = time.time()
    feeds = {}
    faulty = 0
    for i in range(count):
        kind = "ok"
        if i % 20 == 10:  # 5 %
            kind = FAULTS[faulty % len(FAULTS)]
            faulty += 1
        items = []
        stamp = now - rnd.randint(0, 3600)
        for j in range(rnd.randint(10, 40)):
            stamp -= rnd.randint(60, 7200)
            items.append(
                "<item><title>Item %d of feed %d</title><link>http://example.invalid/%d/%d</link>"
                "<pubDate>%s</pubDate><description>&lt;p&gt;%s&lt;/p&gt;</description></item>"
                % (j, i, i, j, email.utils.formatdate(stamp, usegmt=True), "Lorem ipsum dolor sit amet. " * 6))
        body = ('<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Feed %d</title>'
                "<link>http://example.invalid/%d</link><description>d</description>%s</channel></rss>"
                % (i, i, "".join(items))).encode()
        feeds[i] = (kind, body, '"%s"' % hashlib.md5(body).hexdigest())
    return feeds


def serve(feeds, stop):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        wbufsize = 1 << 16
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def head(self, status, length, extra=()):
            self.send_response(status)
            self.send_header("Content-Type", "application/rss+xml; charset=utf-8")
            if length is not None:
                self.send_header("Content-Length", str(length))
            for name, value in extra:
                self.send_header(name, value)
            self.send_header("Connection", "close")
            self.end_headers()

        def do_GET(self):
            match = re.match(r"^/f/(\d+)\.xml$", self.path)
            feed = feeds.get(int(match.group(1))) if match else None
            if feed is None:
                self.head(404, 0)
                return
            kind, body, etag = feed
            if kind == "stall":
                stop.wait(15)  # past the client's time-out
                return
            if kind == "reset":
                self.head(200, len(body))
                self.wfile.write(body[:200])
                self.wfile.flush()
                # RST instead of FIN.
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.connection.close()
                return
            if kind == "half":
                self.head(200, len(body) // 2)
                self.wfile.write(body[: len(body) // 2])
                return
            if kind == "notfound":
                page = b"<html><body>gone</body></html>"
                self.head(404, len(page))
                self.wfile.write(page)
                return
            if kind == "longer":
                self.head(200, len(body) + 1000)
                self.wfile.write(body)
                return
            if kind == "loop":
                self.head(302, 0, [("Location", self.path)])
                return
            if kind == "huge":
                self.head(200, 200 * 1024 * 1024)
                chunk = b"x" * 65536
                try:
                    for _ in range(200 * 16):
                        self.wfile.write(chunk)
                except OSError:
                    pass
                return
            if self.headers.get("If-None-Match") == etag:
                self.head(304, 0, [("ETag", etag)])
                return
            self.head(200, len(body), [("ETag", etag)])
            self.wfile.write(body)

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True
        request_queue_size = 512

        def handle_error(self, request, client_address):
            pass

    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def make_home(folder, urls, concurrency):
    os.makedirs(folder, exist_ok=True)
    lines = ["[schdl]", "ena=0", "frq=-1", "alr=1", "snd=0", "sfl=%s/notify.wav" % folder]
    for n, url in enumerate(urls, 1):
        lines.append("s_%d=0\x05%08X-0000-4000-8000-%012X\x05%s\x05Feed %d" % (n, n, n, url, n))
    lines += ["[check]", "concurrency=%d" % concurrency]
    with open(os.path.join(folder, "AppCfg.cfg"), "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    with open(os.path.join(folder, "feeds.fdb"), "w") as out:
        out.write("<categories/>\n")


def run(cli, folder):
    start = time.monotonic()
    done = subprocess.run(["/usr/bin/time", "-v", cli, "--home", folder, "check"], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=1800)
    wall = time.monotonic() - start
    rss = re.search(rb"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    return done.returncode, wall, int(rss.group(1)) / 1024.0 if rss else float("nan")


def verify(folder, count):
    """Problems found in the log and the stores (empty: all held)."""
    problems = []
    with open(os.path.join(folder, "schedule.log"), encoding="utf-8", errors="replace", newline="") as log:
        text = log.read()
    last = text[text.rfind("Scheduled Check Started"):]
    for n in range(1, count + 1):
        if ("Checking Feed %d\r\n" % n) not in last:
            problems.append("Feed %d has no block in the log" % n)
    if "Scheduled Check Finished" not in last:
        problems.append("the run has no finish line")
    for path in glob.glob(os.path.join(folder, "Data", "*.fdb")):
        try:
            ids = [item.get("id") for item in ET.parse(path).getroot().iter("item")]
        except ET.ParseError as error:
            problems.append("%s does not parse: %s" % (path, error))
            continue
        if len(ids) != len(set(ids)):
            problems.append("%s holds an item twice" % path)
    return problems


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(root, "build", "rel-release", "bin", "tidewell-cli"))
    parser.add_argument("--feeds", type=int, default=2000)
    parser.add_argument("--concurrency", type=int, default=8)
    parser.add_argument("--ceiling-mb", type=float, default=0, help="fail when a run's peak RSS passes this")
    args = parser.parse_args()

    feeds = make_feeds(args.feeds)
    stop = threading.Event()
    server = serve(feeds, stop)
    port = server.server_address[1]
    urls = ["http://127.0.0.1:%d/f/%d.xml" % (port, i) for i in range(args.feeds)]
    folder = tempfile.mkdtemp(prefix="tidewell-load-")
    env_note = "sanitized build" if b"AddressSanitizer" in open(args.cli, "rb").read() else "build"
    failed = False
    try:
        make_home(folder, urls, args.concurrency)
        faulty = sum(1 for kind, _, _ in feeds.values() if kind != "ok")
        print("load-check: %d feeds (%d faulty: %s), %d downloads at once, %s %s"
              % (args.feeds, faulty, ",".join(FAULTS), args.concurrency, env_note, args.cli))
        print("%-6s %8s %12s %s" % ("run", "wall s", "peak RSS MB", "result"))
        for name in ("cold", "warm"):
            # The log starts over once it passes 512,001 bytes, which a second
            # run of 2,000 feeds does mid-run: each run starts from an empty log
            # so that every feed's block is there to count.
            log = os.path.join(folder, "schedule.log")
            if os.path.exists(log):
                os.remove(log)
            code, wall, rss = run(args.cli, folder)
            problems = verify(folder, args.feeds)
            if code != 0:
                problems.append("exit code %d" % code)
            if args.ceiling_mb and rss > args.ceiling_mb:
                problems.append("peak RSS %.1f MB over the ceiling %.1f MB" % (rss, args.ceiling_mb))
            print("%-6s %8.1f %12.1f %s" % (name, wall, rss, "all feeds logged, stores sound" if not problems
                                             else "; ".join(problems[:5])))
            failed = failed or bool(problems)
    finally:
        stop.set()
        server.shutdown()
        if not os.environ.get("LOAD_CHECK_KEEP"):
            shutil.rmtree(folder, ignore_errors=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
