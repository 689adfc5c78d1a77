#!/usr/bin/env python3
"""Serves a folder as a static site, as most static hosts do, except that a file with a compressed
copy beside it (NAME.gz) is sent as that copy to a browser that takes gzip ("Content-Encoding:
gzip"): the web page's files come at a third of their size without compressing anything per
request.

    serve_web.py FOLDER PORT [--bind ADDRESS]

Standard library only.
"""
import argparse
import functools
import http.server
import os


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript", ".webmanifest": "application/manifest+json",
                      ".woff2": "font/woff2"}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        packed = path + ".gz"
        takes_gzip = "gzip" in self.headers.get("Accept-Encoding", "")
        if not (takes_gzip and os.path.isfile(path) and os.path.isfile(packed)):
            return super().send_head()
        f = open(packed, "rb")
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Vary", "Accept-Encoding")
        self.send_header("Content-Length", str(os.fstat(f.fileno()).st_size))
        self.send_header("Last-Modified", self.date_time_string(int(os.fstat(f.fileno()).st_mtime)))
        self.end_headers()
        return f


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("port", type=int)
    parser.add_argument("--bind", default="127.0.0.1")
    a = parser.parse_args()
    handler = functools.partial(Handler, directory=a.folder)
    with http.server.ThreadingHTTPServer((a.bind, a.port), handler) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()
