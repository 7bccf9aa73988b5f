#!/usr/bin/python3
"""A cloud-map service for the end-to-end tests, on a loopback port the kernel
picks. A request for any path outside /earthview/cache/ gets the page that
names the rendered map, "/earthview/cache/<name>.gif"; a request for that path
gets the image. Every request's raw bytes are kept as request-N.bin in the
record folder (with whatever arrives just after the request's blank line);
"accepted" holds the number of connections taken so far, "heard" the number
of them whose request has been read and recorded (or that ended without one).

    cloud_service.py --image FILE --record DIR --port-file FILE
                     [--family 4|6] [--mode MODE] [--on page|image|both]
                     [--tls CERT KEY] [--file PATH=FILE]... [--redirect PATH STATUS LOCATION]...

--tls speaks TLS with the certificate chain CERT and its key KEY. --file
serves FILE at PATH as it is (a picture at a fixed address, as one-step
services have it); --redirect answers PATH with STATUS and the Location
LOCATION, where "{port}" stands for the service's own port (whole chains and
loops are made of several). Both go before the page and the image.

MODE (for the responses chosen by --on; the others are plain):
    ok          Content-Length, then the close
    status404   404 whose body says "200 OK"
    status500   500 with a body
    bigheader   a header of about 8 KB sent in 100-byte pieces
    hugeheader  a header of 70 KB
    chunked     the chunked transfer coding, in small chunks
    badchunk    a malformed chunk size
    keepopen    Content-Length, and the connection kept open
    stall       the header and a few bytes, then nothing, the connection open
    drip        the header, then one byte of body a second
    reset       half the body, then a reset
    closeearly  the connection closed before any byte
    shortbody   a Content-Length larger than the body, then the close
    nopath      a page that names no image (the page only)
    badimage    an image that does not decode (the image only)
"""
import argparse
import os
import socket
import ssl
import struct
import threading
import time

MAP_NAME = "20260621-120000-wx"
IMAGE_PATH = f"/earthview/cache/{MAP_NAME}.gif"
PAGE = (f"<html><head><title>Earth Viewer</title></head><body>\n"
        f"<img src=\"/images/logo.gif\" alt=\"\">\n"
        f"<img src=\"{IMAGE_PATH}\" width=\"1024\" height=\"512\" alt=\"map\">\n"
        f"</body></html>\n").encode()
NO_PATH_PAGE = (b"<html><body><img src=\"/images/logo.gif\">\n"
                b"The map cannot be rendered now (/earthview/cache/ is full).</body></html>\n")


class Service:
    def __init__(self, args):
        self.args = args
        self.image = open(args.image, "rb").read()
        self.count = 0
        self.heard_count = 0
        self.lock = threading.Lock()
        family = socket.AF_INET6 if args.family == "6" else socket.AF_INET
        self.listener = socket.socket(family, socket.SOCK_STREAM)
        self.listener.bind(("::1" if family == socket.AF_INET6 else "127.0.0.1", 0))
        self.listener.listen(8)
        self.tls = None
        if args.tls:
            self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls.load_cert_chain(*args.tls)
        self.files = {}
        for item in args.file:
            path, name = item.split("=", 1)
            self.files[path] = open(name, "rb").read()
        self.redirects = {}
        for path, status, location in args.redirect:
            self.redirects[path] = (int(status), location)

    def port(self):
        return self.listener.getsockname()[1]

    def record(self, data):
        with self.lock:
            self.count += 1
            n = self.count
        path = os.path.join(self.args.record, f"request-{n}.bin")
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.rename(path + ".tmp", path)

    def serve_forever(self):
        accepted = 0
        while True:
            conn, _ = self.listener.accept()
            # How many connections came, for a test to wait until each one's
            # request is recorded.
            accepted += 1
            path = os.path.join(self.args.record, "accepted")
            with open(path + ".tmp", "w") as f:
                f.write(str(accepted))
            os.rename(path + ".tmp", path)
            threading.Thread(target=self.handle, args=(conn,), daemon=True).start()

    def heard(self):
        """One more connection whose request has been read (and recorded), or
        that ended without one."""
        with self.lock:
            self.heard_count += 1
            path = os.path.join(self.args.record, "heard")
            with open(path + ".tmp", "w") as f:
                f.write(str(self.heard_count))
            os.rename(path + ".tmp", path)

    def handle(self, conn):
        try:
            try:
                if self.tls:
                    # A client that refuses the certificate ends here.
                    conn = self.tls.wrap_socket(conn, server_side=True)
                data = read_request(conn)
                self.record(data)
            finally:
                self.heard()
            line = data.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
            path = line[1] if len(line) > 1 else ""
            if path in self.redirects:
                status, location = self.redirects[path]
                location = location.replace("{port}", str(self.port()))
                page = f"<html><body>Moved to {location}</body></html>\n".encode()
                conn.sendall(header(f"{status} Moved", [("Location", location),
                                                         ("Content-Type", "text/html"),
                                                         ("Content-Length", len(page))]) + page)
                return
            if path in self.files:
                respond(conn, "ok", self.files[path], "application/octet-stream")
                return
            kind = "image" if path.startswith("/earthview/cache/") else "page"
            mode = self.args.mode if self.args.on in (kind, "both") else "ok"
            if kind == "page":
                body = NO_PATH_PAGE if self.args.mode == "nopath" else PAGE
                ctype = "text/html"
            else:
                body = (b"GIF89a\x00\x04" + b"\xde\xad\xbe\xef" * 64
                        if self.args.mode == "badimage" else self.image)
                ctype = "image/gif"
            respond(conn, mode, body, ctype)
        except OSError:
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass


def read_request(conn):
    data = b""
    conn.settimeout(20)
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return data
        data += chunk
    # Anything the client sends right after its request is kept with it.
    conn.settimeout(0.3)
    try:
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
    except socket.timeout:
        pass
    conn.settimeout(None)
    return data


def header(status, fields):
    return (f"HTTP/1.1 {status}\r\n" + "".join(f"{k}: {v}\r\n" for k, v in fields) +
            "\r\n").encode()


def wait_for_close(conn, limit=300):
    """Keeps the connection open until the client closes it."""
    conn.settimeout(limit)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass


def send_pieces(conn, data, size, pause):
    for i in range(0, len(data), size):
        conn.sendall(data[i:i + size])
        time.sleep(pause)


def respond(conn, mode, body, ctype):
    plain = [("Content-Type", ctype), ("Content-Length", len(body))]
    if mode == "ok":
        conn.sendall(header("200 OK", plain) + body)
    elif mode == "status404":
        page = b"<html><body>Not found. (Expected 200 OK? Not here.)</body></html>\n"
        conn.sendall(header("404 Not Found", [("Content-Type", "text/html"),
                                              ("Content-Length", len(page))]) + page)
    elif mode == "status500":
        page = b"<html><body>Internal error</body></html>\n"
        conn.sendall(header("500 Internal Server Error",
                            [("Content-Length", len(page))]) + page)
    elif mode == "bigheader":
        fields = [(f"X-Filler-{i}", "f" * 90) for i in range(80)] + plain
        send_pieces(conn, header("200 OK", fields), 100, 0.002)
        conn.sendall(body)
    elif mode == "hugeheader":
        fields = [(f"X-Filler-{i}", "h" * 990) for i in range(70)] + plain
        send_pieces(conn, header("200 OK", fields) + body, 4096, 0.001)
    elif mode == "chunked":
        conn.sendall(header("200 OK", [("Content-Type", ctype),
                                       ("Transfer-Encoding", "chunked")]))
        for i in range(0, len(body), 700):
            piece = body[i:i + 700]
            conn.sendall(f"{len(piece):x}\r\n".encode() + piece + b"\r\n")
            time.sleep(0.001)
        conn.sendall(b"0\r\n\r\n")
    elif mode == "badchunk":
        conn.sendall(header("200 OK", [("Transfer-Encoding", "chunked")]) +
                     b"10\r\n" + body[:16] + b"\r\nzz\r\n" + body[16:])
    elif mode == "keepopen":
        conn.sendall(header("200 OK", plain) + body)
        wait_for_close(conn)
    elif mode == "stall":
        conn.sendall(header("200 OK", plain) + body[:10])
        wait_for_close(conn)
    elif mode == "drip":
        conn.sendall(header("200 OK", plain))
        conn.settimeout(1.0)
        for i in range(len(body)):
            conn.sendall(body[i:i + 1])
            try:
                if not conn.recv(1):
                    return  # the client gave up
            except socket.timeout:
                pass
    elif mode == "reset":
        conn.sendall(header("200 OK", plain) + body[:len(body) // 2])
        time.sleep(0.2)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    elif mode == "closeearly":
        pass
    elif mode == "shortbody":
        conn.sendall(header("200 OK", [("Content-Length", len(body) + 1000)]) + body)
    elif mode in ("nopath", "badimage"):
        conn.sendall(header("200 OK", plain) + body)
    else:
        raise SystemExit(f"unknown mode {mode}")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--image", required=True)
    p.add_argument("--record", required=True)
    p.add_argument("--port-file", required=True)
    p.add_argument("--family", default="4", choices=["4", "6"])
    p.add_argument("--mode", default="ok")
    p.add_argument("--on", default="both", choices=["page", "image", "both"])
    p.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    p.add_argument("--file", action="append", default=[])
    p.add_argument("--redirect", action="append", default=[], nargs=3)
    args = p.parse_args()
    os.makedirs(args.record, exist_ok=True)
    service = Service(args)
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(service.port()))
    os.rename(args.port_file + ".tmp", args.port_file)
    service.serve_forever()


if __name__ == "__main__":
    main()
