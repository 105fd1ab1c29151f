#!/usr/bin/python3
"""Scheduled check of local feeds, cold and warm.

Generates N feeds (10-50 items each, a few slow, broken and missing ones),
serves them from a local HTTP server on 127.0.0.1 that answers ETag /
Last-Modified validators with 304, and times `tidewell-cli check` over a
schedule list of those feeds, cold (empty stores) and warm (nothing new, after
one unmeasured run). Peak memory comes from /usr/bin/time -v. Prints one table.

    /usr/bin/python3 bench/scheduled-check/scheduled_check_bench.py \
        [--cli build/sched-rel/bin/tidewell-cli] [--sizes 100,500] [--threads 8] [--reps 3] [--slow-delay 1.5]
"""

import argparse
import email.utils
import hashlib
import http.server
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

SLOW_DELAY = [1.5]  # seconds; set from the command line


def make_feeds(count, seed=7):
    """i -> (kind, body, etag, last_modified)."""
    rnd = random.Random(seed)
    now = time.time()
    feeds = {}
    for i in range(count):
        kind = "ok"
        if i % 97 == 13:
            kind = "slow"
        elif i % 89 == 7:
            kind = "broken"
        elif i % 83 == 5:
            kind = "missing"
        items = []
        stamp = now - rnd.randint(0, 3600)
        for j in range(rnd.randint(10, 50)):
            stamp -= rnd.randint(60, 7200)
            items.append(
                "<item><title>Item %d of feed %d</title><link>http://example.invalid/%d/%d</link>"
                "<pubDate>%s</pubDate><description>&lt;p&gt;%s&lt;/p&gt;</description></item>"
                % (j, i, i, j, email.utils.formatdate(stamp, usegmt=True), "Lorem ipsum dolor sit amet. " * 8))
        body = ('<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Feed %d</title>'
                "<link>http://example.invalid/%d</link><description>d</description>%s</channel></rss>"
                % (i, i, "".join(items))).encode()
        if kind == "broken":
            body = body[: len(body) // 2]
        if kind == "missing":
            body = b"<html><body>Not here</body></html>"
        etag = '"%s"' % hashlib.md5(body).hexdigest()
        modified = email.utils.formatdate(now - 86400, usegmt=True)
        feeds[i] = (kind, body, etag, modified)
    return feeds


class Counters:
    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.requests = 0
            self.not_modified = 0

    def count(self, not_modified):
        with self.lock:
            self.requests += 1
            if not_modified:
                self.not_modified += 1


def not_modified(headers, etag, modified):
    """The validators as an HTTP server judges them: If-None-Match wins over If-Modified-Since."""
    tags = headers.get("If-None-Match")
    if tags is not None:
        return any(tag.strip() in (etag, "W/" + etag, "*") for tag in tags.split(","))
    since = headers.get("If-Modified-Since")
    if since is None:
        return False
    try:
        return email.utils.parsedate_to_datetime(since) >= email.utils.parsedate_to_datetime(modified)
    except (TypeError, ValueError):
        return False


def serve(feeds, counters):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        # Headers and body leave in one write, without Nagle: otherwise every
        # answer waits for the client's delayed ACK (tens of milliseconds),
        # which no real web server makes its clients do.
        wbufsize = 1 << 16
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def do_GET(self):
            match = re.match(r"^/f/(\d+)\.xml$", self.path)
            feed = feeds.get(int(match.group(1))) if match else None
            if feed is None:
                self.send_response(404)
                self.send_header("Content-Length", "0")
                self.end_headers()
                counters.count(False)
                return
            kind, body, etag, modified = feed
            if kind == "slow":
                time.sleep(SLOW_DELAY[0])
            if kind == "missing":
                self.send_response(404)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
                counters.count(False)
                return
            if kind != "broken" and not_modified(self.headers, etag, modified):
                self.send_response(304)
                self.send_header("ETag", etag)
                self.send_header("Content-Length", "0")
                self.end_headers()
                counters.count(True)
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/rss+xml; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            if kind != "broken":
                self.send_header("ETag", etag)
                self.send_header("Last-Modified", modified)
            self.end_headers()
            self.wfile.write(body)
            counters.count(False)

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True
        request_queue_size = 256

        def handle_error(self, request, client_address):
            pass  # a client giving up on a slow feed is part of the test

    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def timed(command, env=None):
    """(wall seconds, peak RSS in MB, stdout) of one run under /usr/bin/time -v."""
    start = time.monotonic()
    done = subprocess.run(["/usr/bin/time", "-v"] + command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=env, timeout=600)
    wall = time.monotonic() - start
    if done.returncode != 0:
        sys.stderr.write(done.stderr.decode(errors="replace")[-2000:])
        raise SystemExit("%s exited with %d" % (command[0], done.returncode))
    rss = re.search(rb"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    return wall, (int(rss.group(1)) / 1024.0 if rss else float("nan")), done.stdout


def tidewell_home(folder, urls, threads):
    os.makedirs(folder, exist_ok=True)
    lines = ["[schdl]", "ena=0", "frq=-1", "alr=1", "snd=0", "sfl=%s/notify.wav" % folder]
    for n, url in enumerate(urls, 1):
        lines.append("s_%d=0\x05%08X-0000-4000-8000-%012X\x05%s\x05Feed %d" % (n, n, n, url, n))
    lines += ["[check]", "concurrency=%d" % threads]
    with open(os.path.join(folder, "AppCfg.cfg"), "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    with open(os.path.join(folder, "feeds.fdb"), "w") as out:
        out.write("<categories/>\n")


def run_tidewell(cli, folder, env):
    wall, rss, out = timed([cli, "--home", folder, "check"], env)
    return wall, rss, len(out.splitlines())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    parser.add_argument("--cli", default=os.path.join(root, "build", "sched-rel", "bin", "tidewell-cli"))
    parser.add_argument("--sizes", default="100,500")
    parser.add_argument("--threads", type=int, default=8)
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--slow-delay", type=float, default=SLOW_DELAY[0],
                        help="seconds the slow feeds wait before answering (0: no slow feeds)")
    args = parser.parse_args()
    SLOW_DELAY[0] = args.slow_delay
    if not os.access(args.cli, os.X_OK):
        raise SystemExit("no tidewell-cli at %s (build the Release tree first)" % args.cli)

    work = tempfile.mkdtemp(prefix="tidewell-bench-")
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "xdg-config"),
               XDG_DATA_HOME=os.path.join(work, "xdg-data"), http_proxy="", https_proxy="", no_proxy="*",
               QT_QPA_PLATFORM="offscreen")
    env.pop("TIDEWELL_HOME", None)
    rows = []
    try:
        for size in [int(s) for s in args.sizes.split(",")]:
            feeds = make_feeds(size)
            counters = Counters()
            server = serve(feeds, counters)
            port = server.server_address[1]
            urls = ["http://127.0.0.1:%d/f/%d.xml" % (port, i) for i in range(size)]
            kinds = [kind for kind, _, _, _ in feeds.values()]
            results = {}
            for rep in range(args.reps):
                tw = os.path.join(work, "tw-%d-%d" % (size, rep))
                tidewell_home(tw, urls, args.threads)
                for state in ("cold", "prime", "warm"):
                    counters.reset()
                    if state == "prime":
                        # One unmeasured run, so that "warm" sends the validators
                        # of every feed's second answer too.
                        run_tidewell(args.cli, tw, env)
                        continue
                    wall, rss, announced = run_tidewell(args.cli, tw, env)
                    entry = results.setdefault(state, {"wall": [], "rss": [], "304": [], "new": []})
                    entry["wall"].append(wall)
                    entry["rss"].append(rss)
                    entry["304"].append(counters.not_modified)
                    entry["new"].append(announced)
            server.shutdown()
            server.server_close()
            for state in ("cold", "warm"):
                entry = results[state]
                rows.append((size, state, statistics.median(entry["wall"]), min(entry["wall"]),
                             statistics.median(entry["rss"]), entry["304"][-1], str(entry["new"][-1])))
            print("N=%d: %d slow (%.1f s), %d broken, %d missing; %d runs each" %
                  (size, kinds.count("slow"), SLOW_DELAY[0], kinds.count("broken"), kinds.count("missing"), args.reps),
                  file=sys.stderr)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("%5s  %-4s  %12s  %9s  %12s  %6s  %13s" %
          ("N", "run", "median wall", "best", "peak RSS", "304s", "feeds w/ new"))
    for size, state, wall, best, rss, nm, new in rows:
        print("%5d  %-4s  %10.2f s  %7.2f s  %9.1f MB  %6d  %13s" % (size, state, wall, best, rss, nm, new))
    print("downloads at once: %d ([check] concurrency)" % args.threads)


if __name__ == "__main__":
    main()
