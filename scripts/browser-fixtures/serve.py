# A local site for the browsers to write their profiles from: a page with a
# form, a cookie and an icon, on 127.0.0.1 only. Prints the port it listens on.
# Given a certificate and key (serve.py CERT KEY), it speaks HTTPS, and the
# browsers reach it under the host names of two test sites: /store sets a
# host-only and a domain-wide cookie and keeps data in every kind of site
# storage, with the other site's /frame inside, which sets a partitioned
# cookie and keeps data of its own under the top-level site.
import http.server
import ssl
import struct
import sys
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


# Writes one value into each kind of storage a site has, then names itself
# "stored" in the title (or "failed: <reason>"). The legacy file system is
# Chromium's alone.
STORE_SCRIPT = b"""<script>
async function store() {
  if (top !== self)
    document.cookie = "script-partitioned=script-value; Secure; SameSite=None; Partitioned; Path=/";
  localStorage.setItem("kept-local", "local-value");
  sessionStorage.setItem("kept-session", "session-value");
  await new Promise((done, fail) => {
    const open = indexedDB.open("site-db", 1);
    open.onupgradeneeded = () => open.result.createObjectStore("things");
    open.onsuccess = () => {
      const write = open.result.transaction("things", "readwrite");
      write.objectStore("things").put("indexed-value", "key");
      write.oncomplete = done;
      write.onerror = fail;
    };
    open.onerror = fail;
  });
  const cache = await caches.open("site-cache");
  await cache.put("/cached", new Response("cached-value"));
  const root = await navigator.storage.getDirectory();
  const file = await (await root.getFileHandle("opfs.txt", {create: true})).createWritable();
  await file.write("file-system-value");
  await file.close();
  if (window.webkitRequestFileSystem)
    await new Promise((done) => webkitRequestFileSystem(TEMPORARY, 1024, (fs) =>
      fs.root.getFile("legacy.txt", {create: true}, done, done), done));
  if (top === self) {
    await navigator.serviceWorker.register("/sw.js");
    await navigator.serviceWorker.ready;
    await frameStored;
  }
}
// The frame says how its own storing went (a browser may deny a third-party
// frame some storage: then it keeps what it allows); the page is stored
// after it.
const frameStored = new Promise((done) => addEventListener("message", (e) => done(e.data)));
store().then(() => "stored", (error) => "failed: " + error).then((title) => {
  if (top === self)
    document.title = title;
  else
    parent.postMessage(title, "*");
});
</script>"""

STORE = (b"""<!DOCTYPE html>
<html><head><title>storing</title></head><body>
<iframe id="frame" src="/frame-of-other-site"></iframe>""" + STORE_SCRIPT + b"</body></html>")
FRAME = (b"""<!DOCTYPE html>
<html><head><title>storing</title></head><body>""" + STORE_SCRIPT + b"</body></html>")
WORKER = b"self.addEventListener('fetch', () => {});"

# The cookies each page sets, for the host it is asked under.
COOKIE_AGE = "Max-Age=86400; Path=/; Secure; SameSite=None"


def store_cookies(host):
    site = host.split(":")[0].split(".", 1)[-1]
    return ["host-only=host-only-value; " + COOKIE_AGE,
            "domain-wide=domain-wide-value; Domain=" + site + "; " + COOKIE_AGE]


def other_site(host):
    name, _, port = host.partition(":")
    other = name.replace("site-a", "site-x").replace("site-b", "site-a").replace("site-x", "site-b")
    return "https://" + other + (":" + port if port else "")


class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        host = self.headers.get("Host", "")
        if self.path == "/favicon.ico":
            self.reply(ICON, "image/png")
        elif self.path.startswith("/thanks"):
            self.reply(THANKS, "text/html")
        elif self.path == "/store":
            self.reply(STORE.replace(b"/frame-of-other-site",
                                     (other_site(host) + "/frame").encode()),
                       "text/html", store_cookies(host))
        elif self.path == "/frame":
            self.reply(FRAME, "text/html",
                       ["partitioned=partitioned-value; Partitioned; " + COOKIE_AGE])
        elif self.path == "/sw.js":
            self.reply(WORKER, "text/javascript")
        else:
            self.reply(FORM, "text/html", ["test-cookie=cookie-value; Max-Age=86400; Path=/"])

    def reply(self, body, kind, cookies=()):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        for cookie in cookies:
            self.send_header("Set-Cookie", cookie)
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
if len(sys.argv) == 3:
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(sys.argv[1], sys.argv[2])
    server.socket = tls.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
