# A local site for the browsers to write their profiles from: a page with a
# form, a cookie and an icon, on 127.0.0.1 only. Prints the port it listens on.
import http.server
import struct
import zlib


def png(width, height):
    """An opaque red PNG of the given size."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))
    rows = b"".join(b"\0" + b"\xff\0\0\xff" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


# The site's icon.
ICON = png(16, 16)

FORM = b"""<!DOCTYPE html>
<html><head><title>Test form</title><link rel="icon" href="/favicon.ico"></head>
<body><form action="/thanks" method="get">
<input id="email" name="email" autocomplete="email">
<input id="nickname" name="nickname">
<input id="city" name="city" autocomplete="address-level2">
<button id="send" type="submit">Send</button>
</form></body></html>"""

THANKS = b"""<!DOCTYPE html>
<html><head><title>Thanks</title><link rel="icon" href="/favicon.ico"></head>
<body>Sent.</body></html>"""


class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path == "/favicon.ico":
            self.reply(ICON, "image/png")
        elif self.path.startswith("/thanks"):
            self.reply(THANKS, "text/html")
        else:
            self.reply(FORM, "text/html", "test-cookie=cookie-value; Max-Age=86400; Path=/")

    def reply(self, body, kind, cookie=None):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        if cookie:
            self.send_header("Set-Cookie", cookie)
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Site)
print(server.server_address[1], flush=True)
server.serve_forever()
