#!/usr/bin/env python3
"""A small update server for tests and demonstrations of the Q730X utility.

It serves the files of a folder by their paths (the update description at
/software/Q730X/newver.xml, a firmware image anywhere beside it) and can be
told to fail: answer 404, cut the body off half-way, answer slowly, or play
a hostile server:

    garbage          random bytes instead of an HTTP answer
    huge [MB]        200 and an endless-looking body of MB megabytes (50)
                     without a length, ended by closing the line
    redirect-loop    302 to the same path, for ever
    moved PATH       302 to another path of the server (a sound redirect)
    trickle [B/s]    the file, announced whole, at B bytes a second (1)

    scripts/update-server.py --root DIR [--port 8123] [--demo 1.3 [--demo-only]]
                             [--fail 404|cut|slow|garbage|huge|redirect-loop|trickle]
                             [--slow-ms 3000]

Point the utility at it with Q730X_UPDATE_SERVER=http://127.0.0.1:8123.

--demo VERSION writes a description and a firmware image of that version
into the folder first (with --demo-only it then ends, for a server that
already serves the folder on --port). --fail applies to every request; a file named
"faults" in the folder, read again for every request, says it per path:

    /software/Q730X/newver.xml 404
    /software/Q730X/KavexGameDevice.MTP cut
    * slow 3000

Every request is added to "requests.log" in the folder. --port 0 takes any
free port; --port-file names a file that receives the port once it listens.
"""
import argparse
import hashlib
import http.server
import os
import random
import sys
import time

DESCRIPTION_PATH = "/software/Q730X/newver.xml"
IMAGE_PATH = "/software/Q730X/KavexGameDevice.MTP"


def write_demo(root, version, port):
    major, minor = version.split(".")
    image = ("Q730X firmware %s.%s\n" % (major, minor)).encode() + bytes(range(256)) * 16
    folder = os.path.join(root, "software", "Q730X")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "KavexGameDevice.MTP"), "wb") as f:
        f.write(image)
    description = (
        '<?xml version="1.0" encoding="utf-8"?>\n<update>\n'
        "  <firmware>\n    <current>V%s.%s</current>\n"
        "    <newfile>http://127.0.0.1:%d%s</newfile>\n"
        "    <sha256>%s</sha256>\n  </firmware>\n"
        "  <driver>\n    <current>V1.0</current>\n"
        "    <newfile>http://127.0.0.1:%d/software/Q730X/</newfile>\n  </driver>\n"
        "</update>\n" % (major, minor, port, IMAGE_PATH, hashlib.sha256(image).hexdigest(), port))
    with open(os.path.join(folder, "newver.xml"), "w", encoding="utf-8") as f:
        f.write(description)


def read_faults(root, default):
    """The fault for each path ("*" for all) from the folder's faults file."""
    faults = {}
    if default:
        faults["*"] = default
    try:
        with open(os.path.join(root, "faults"), encoding="utf-8") as f:
            for line in f:
                words = line.split()
                if len(words) >= 2:
                    faults[words[0]] = words[1:]
    except OSError:
        pass
    return faults


def make_handler(root, default_fault, slow_ms):
    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=root, **kwargs)

        def log_message(self, format, *args):
            with open(os.path.join(root, "requests.log"), "a", encoding="utf-8") as f:
                f.write("%s %s\n" % (self.command, self.path))

        def log_error(self, format, *args):
            pass  # the request itself is logged once

        def end_headers(self):
            self.send_header("Cache-Control", "no-store")
            super().end_headers()

        def do_GET(self):
            faults = read_faults(root, default_fault)
            path = self.path.split("?")[0]
            fault = faults.get(path) or faults.get("*") or []
            kind = fault[0] if fault else ""
            if kind == "slow":
                time.sleep((int(fault[1]) if len(fault) > 1 else slow_ms) / 1000.0)
            if kind == "404":
                self.send_error(404, "told to fail")
                return
            if kind == "cut":
                self.send_cut_off()
                return
            try:
                if kind == "garbage":
                    self.log_request(200)
                    self.wfile.write(random.Random(path).randbytes(4096))
                    self.close_connection = True
                    return
                if kind == "huge":
                    self.send_huge(int(fault[1]) if len(fault) > 1 else 50)
                    return
                if kind == "redirect-loop":
                    self.send_redirect(self.path)
                    return
                if kind == "moved" and len(fault) > 1:
                    self.send_redirect(fault[1])
                    return
                if kind == "trickle":
                    self.send_trickle(int(fault[1]) if len(fault) > 1 else 1)
                    return
            except (BrokenPipeError, ConnectionResetError):
                return  # the client gave up, as it should
            super().do_GET()

        def send_huge(self, megabytes):
            """200 and a body of random bytes of that size, with no length: only the end of the line ends it."""
            self.log_request(200)
            self.send_response_only(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Connection", "close")
            self.end_headers()
            block = random.Random(0).randbytes(64 * 1024)
            for _ in range(megabytes * 16):
                self.wfile.write(block)
            self.close_connection = True

        def send_redirect(self, target):
            self.log_request(302)
            self.send_response_only(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()

        def send_announced(self):
            """Reads the requested file and sends headers announcing all of it; its bytes, or None after a 404."""
            try:
                with open(self.translate_path(self.path), "rb") as f:
                    body = f.read()
            except OSError:
                self.send_error(404, "not found")
                return None
            self.log_request(200)
            self.send_response_only(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            return body

        def send_trickle(self, rate):
            """The whole file announced, then rate bytes a second."""
            body = self.send_announced()
            if body is None:
                return
            for start in range(0, len(body), rate):
                self.wfile.write(body[start:start + rate])
                self.wfile.flush()
                time.sleep(1)
            self.close_connection = True

        def send_cut_off(self):
            """The headers promise the whole file; half of it comes, then the line closes."""
            body = self.send_announced()
            if body is None:
                return
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8123)
    parser.add_argument("--port-file")
    parser.add_argument("--demo", metavar="VERSION")
    parser.add_argument("--demo-only", action="store_true")
    parser.add_argument("--fail", choices=["404", "cut", "slow", "garbage", "huge", "redirect-loop", "trickle"])
    parser.add_argument("--slow-ms", type=int, default=3000)
    args = parser.parse_args()

    os.makedirs(args.root, exist_ok=True)
    root = os.path.abspath(args.root)
    if args.demo_only:
        write_demo(root, args.demo or "1.3", args.port)
        return
    server = http.server.ThreadingHTTPServer(
        (args.bind, args.port), make_handler(root, [args.fail] if args.fail else [], args.slow_ms))
    port = server.server_address[1]
    if args.demo:
        write_demo(root, args.demo, port)
    if args.port_file:
        with open(args.port_file + ".new", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".new", args.port_file)
    print("update server: http://%s:%d serving %s" % (args.bind, port, root), file=sys.stderr)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
