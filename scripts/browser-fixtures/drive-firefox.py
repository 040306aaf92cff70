# Writes a Firefox profile as a user would: a page is visited and its form
# filled in and sent; given the port of the HTTPS site, both test sites store
# their data there (each with the other's frame inside), the first also in a
# container tab, and the cookies of the first are allowed in the browser's
# own settings. Then Firefox quits on its own, so that every database is
# closed cleanly. Firefox is driven through its remote protocol (Marionette:
# length-prefixed JSON over a local socket).
# Usage: python3 drive-firefox.py <firefox> <profile folder> <site> [<https port>]
import json
import os
import socket
import subprocess
import sys
import time

# Time for Firefox to write what it keeps in memory (form history is saved
# by a background task after the submission).
SETTLE_SECONDS = 5
# What is typed into which field of the page's form.
TYPED = [("#email", "form-entry@example.com"), ("#nickname", "form-entry-nickname"),
         ("#city", "Formtown")]
SEND = "#send"
TEST_SITES = ["www.site-a.test", "www.site-b.test"]
STORED_SECONDS = 30
# Every test host leads to the local site; service workers may use its
# certificate; containers are on.
PREFS = {"network.dns.forceResolve": '"127.0.0.1"',
         "devtools.serviceWorkers.testing.enabled": "true",
         "privacy.userContext.enabled": "true"}
# Run in the browser's own window: the local site's own certificate is
# accepted, for pages and service workers alike.
TRUST_TEST_SITE = """
Cc["@mozilla.org/security/certoverride;1"].getService(Ci.nsICertOverrideService)
    .setDisableAllSecurityChecksAndLetAttackersInterceptMyData(true);
"""
# Run in the browser's own window: a container tab (userContextId 1) on the
# first test site, and that site's cookies allowed.
CONTAINER_TAB = """
const principal = Services.scriptSecurityManager.getSystemPrincipal();
gBrowser.addTab(arguments[0], {userContextId: 1, triggeringPrincipal: principal});
const site = Services.scriptSecurityManager.createContentPrincipalFromOrigin(arguments[1]);
Services.perms.addFromPrincipal(site, "cookie", Services.perms.ALLOW_ACTION);
"""


class Marionette:
    def __init__(self, port):
        for _ in range(300):
            try:
                self.socket = socket.create_connection(("127.0.0.1", port))
                break
            except OSError:
                time.sleep(0.1)
        else:
            sys.exit("firefox: its remote protocol did not answer")
        self.next_id = 0
        self.receive()

    def read(self, size):
        data = self.socket.recv(size)
        if not data:
            sys.exit("firefox: the remote protocol closed its connection")
        return data

    def receive(self):
        length = b""
        while not length.endswith(b":"):
            length += self.read(1)
        body = b""
        while len(body) < int(length[:-1]):
            body += self.read(int(length[:-1]) - len(body))
        return json.loads(body)

    def call(self, name, parameters=None):
        self.next_id += 1
        body = json.dumps([0, self.next_id, name, parameters or {}]).encode()
        self.socket.sendall(str(len(body)).encode() + b":" + body)
        reply = self.receive()
        if reply[2]:
            sys.exit("firefox: %s failed: %s" % (name, reply[2]))
        return reply[3]


def element(remote, selector):
    found = remote.call("WebDriver:FindElement", {"using": "css selector", "value": selector})
    return next(iter(found["value"].values()))


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until_stored(remote, url):
    remote.call("WebDriver:Navigate", {"url": url})
    for _ in range(STORED_SECONDS * 10):
        title = remote.call("WebDriver:GetTitle")["value"]
        if title != "storing":
            break
        time.sleep(0.1)
    if title != "stored":
        sys.exit("firefox: %s: %s" % (url, title))


def store_sites(remote, port):
    urls = ["https://%s:%s/store" % (host, port) for host in TEST_SITES]
    remote.call("Marionette:SetContext", {"value": "chrome"})
    remote.call("WebDriver:ExecuteScript", {"script": TRUST_TEST_SITE, "args": []})
    remote.call("Marionette:SetContext", {"value": "content"})
    for url in urls:
        wait_until_stored(remote, url)
    remote.call("Marionette:SetContext", {"value": "chrome"})
    remote.call("WebDriver:ExecuteScript",
                {"script": CONTAINER_TAB, "args": [urls[0], "https://" + TEST_SITES[0]]})
    remote.call("Marionette:SetContext", {"value": "content"})
    time.sleep(SETTLE_SECONDS * 2)


def drive(remote, site, https_port):
    remote.call("WebDriver:NewSession", {"capabilities": {}})
    remote.call("WebDriver:Navigate", {"url": site})
    for field, text in TYPED:
        remote.call("WebDriver:ElementSendKeys", {"id": element(remote, field), "text": text})
    remote.call("WebDriver:ElementClick", {"id": element(remote, SEND)})
    time.sleep(SETTLE_SECONDS)
    remote.call("WebDriver:Navigate", {"url": site})
    if https_port:
        store_sites(remote, https_port)
    remote.call("Marionette:Quit", {"flags": ["eForceQuit"]})


def main():
    firefox, profile, site = sys.argv[1:4]
    https_port = sys.argv[4] if len(sys.argv) > 4 else None
    # The remote protocol listens on a port of its own, set in the new profile.
    port = free_port()
    os.makedirs(profile, exist_ok=True)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        prefs.write('user_pref("marionette.port", %d);\n' % port)
        for name, value in PREFS.items():
            prefs.write('user_pref("%s", %s);\n' % (name, value))
    browser = subprocess.Popen(
        [firefox, "-headless", "-no-remote", "-marionette", "-remote-allow-system-access",
         "-profile", profile],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        drive(Marionette(port), site, https_port)
        browser.wait(60)
    finally:
        if browser.poll() is None:
            browser.kill()


main()
