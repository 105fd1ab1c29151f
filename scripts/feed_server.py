#!/usr/bin/python3
"""Serves fixture feeds on 127.0.0.1 for the screenshot script.

Usage: feed_server.py DIR PORTFILE
Every file in DIR is served under its name; "IMAGE_BASE" inside .xml files
becomes this server's own address. The chosen port is written to PORTFILE.
The server stops by itself after ten minutes.
"""
import http.server
import os
import sys
import threading


def main():
    root, port_file = sys.argv[1], sys.argv[2]

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            name = os.path.basename(self.path.split("?")[0]) or "index.html"
            path = os.path.join(root, name)
            if not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                body = f.read()
            if name.endswith(".xml"):
                base = "http://127.0.0.1:%d" % self.server.server_address[1]
                body = body.replace(b"IMAGE_BASE", base.encode())
                kind = "application/rss+xml; charset=utf-8"
            elif name.endswith(".png"):
                kind = "image/png"
            else:
                kind = "application/octet-stream"
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    threading.Timer(600, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
