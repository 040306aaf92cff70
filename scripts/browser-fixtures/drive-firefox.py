# Writes a Firefox profile as a user would: a page is visited and its form
# filled in and sent, then Firefox quits on its own, so that every database
# is closed cleanly. Firefox is driven through its remote protocol
# (Marionette: length-prefixed JSON over a local socket).
# Usage: python3 drive-firefox.py <firefox> <profile folder> <site>
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


def main():
    firefox, profile, site = sys.argv[1:]
    # The remote protocol listens on a port of its own, set in the new profile.
    port = free_port()
    os.makedirs(profile, exist_ok=True)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        prefs.write('user_pref("marionette.port", %d);\n' % port)
    browser = subprocess.Popen(
        [firefox, "-headless", "-no-remote", "-marionette", "-profile", profile],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    remote = Marionette(port)
    remote.call("WebDriver:NewSession", {"capabilities": {}})
    remote.call("WebDriver:Navigate", {"url": site})
    for field, text in TYPED:
        remote.call("WebDriver:ElementSendKeys", {"id": element(remote, field), "text": text})
    remote.call("WebDriver:ElementClick", {"id": element(remote, SEND)})
    time.sleep(SETTLE_SECONDS)
    remote.call("WebDriver:Navigate", {"url": site})
    remote.call("Marionette:Quit", {"flags": ["eForceQuit"]})
    browser.wait(60)


main()
