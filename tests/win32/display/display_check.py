#!/usr/bin/env python3
"""The Windows client on a real display: salvind.exe under wine64 on an X
server with a window manager, driven with real X input.

Checks that the splash and the gate show the decoded pictures pixel for
pixel, that typing reaches the login window, and that "Connect" brings the
access request (the user name typed) to a peer on 127.0.0.1. Every wait is
bounded. Usage: display_check.py STAGE_DIR INSPECT_TOOL [SCREENSHOT_DIR]
with DISPLAY, WINEPREFIX and the wine64 program in WINE set.
"""

import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

STAGE, INSPECT = sys.argv[1], sys.argv[2]
SHOTS = sys.argv[3] if len(sys.argv) > 3 else None
WINE = os.environ.get("WINE", "wine64")
# Generous: wine starts slowly on a loaded machine. Never unbounded.
WAIT_SECONDS = float(os.environ.get("SALVIND_DISPLAY_WAIT", "120"))


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, timeout=60, **kw).stdout


def read_ppm(data):
    """Width, height and RGB bytes of a binary PPM (P6, maxval 255)."""
    fields, at = [], 2
    while len(fields) < 3:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(int(data[at:end]))
        at = end
    w, h, maxval = fields
    assert data[:2] == b"P6" and maxval == 255
    pixels = data[at + 1:at + 1 + 3 * w * h]
    assert len(pixels) == 3 * w * h
    return w, h, pixels


def expected_picture(args, name):
    png = os.path.join(WORK, name + ".png")
    run(INSPECT, "file", *args, "--png", png)
    return read_ppm(run("convert", png, "-depth", "8", "ppm:-"))


def window_geometry(title):
    """Position and size of the shown X window named exactly title, or None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                           capture_output=True, text=True, timeout=30).stdout.split()
    for window in found:
        # xwininfo gives the absolute position; a window manager's frame
        # confuses other tools.
        out = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True,
                             timeout=30).stdout
        values = {}
        for line in out.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                values[key.strip()] = value.strip()
        try:
            return (window, int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                    int(values["Width"]), int(values["Height"]))
        except (KeyError, ValueError):
            continue
    return None


def screen_area(x, y, w, h):
    return read_ppm(run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8", "ppm:-"))


def save_shot(title, name):
    if not SHOTS:
        return
    found = window_geometry(title)
    if found:
        _, x, y, w, h = found
        run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), os.path.join(SHOTS, name))


def wait_for_picture(title, picture, shot):
    """Waits until the window shows picture exactly; the differing pixel
    count of the last look otherwise."""
    w, h, pixels = picture
    deadline = time.monotonic() + WAIT_SECONDS
    last = "never shown"
    while time.monotonic() < deadline:
        found = window_geometry(title)
        if found and (found[3], found[4]) == (w, h):
            _, x, y, _, _ = found
            _, _, shown = screen_area(x, y, w, h)
            wrong = sum(1 for i in range(0, len(pixels), 3) if shown[i:i + 3] != pixels[i:i + 3])
            if wrong == 0:
                save_shot(title, shot)
                return None
            last = "%d of %d pixels differ" % (wrong, w * h)
        elif found:
            last = "shown at %dx%d, not %dx%d" % (found[3], found[4], w, h)
        time.sleep(0.2)
    return last


def main():
    global WORK
    WORK = tempfile.mkdtemp(prefix="salvind-win32-display-")
    failures = []
    client = None
    try:
        tree = os.path.join(WORK, "stage")
        shutil.copytree(STAGE, tree)
        # An accepted disclaimer: the login window comes without it.
        document = os.path.join(tree, "data", "Salvind", "disclaim.otx")
        with open(document, "r+b") as f:
            f.seek(12)
            f.write(struct.pack(">I", 1))
        splash = expected_picture([os.path.join(STAGE, "data", "common", "orva.ors"), "--item", "0"], "splash")
        gate = expected_picture([os.path.join(STAGE, "data", "Salvind", "start.oim")], "gate")

        peer = socket.socket()
        peer.bind(("127.0.0.1", 0))
        peer.listen(1)
        peer.settimeout(WAIT_SECONDS)
        env = dict(os.environ, SALVIND_SERVER_HOST="127.0.0.1",
                   SALVIND_SERVER_PORT=str(peer.getsockname()[1]), WINEDEBUG="-all")
        client = subprocess.Popen([WINE, "salvind.exe"], cwd=tree, env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        problem = wait_for_picture("Orva", splash, "win32-splash.png")
        if problem:
            failures.append("splash: " + problem)
        problem = wait_for_picture("Gate", gate, "win32-gate.png")
        if problem:
            failures.append("gate: " + problem)

        deadline = time.monotonic() + WAIT_SECONDS
        login = None
        while time.monotonic() < deadline and not login:
            login = window_geometry("Login")
            time.sleep(0.3)
        if not login:
            failures.append("login: the window never showed")
            return failures
        time.sleep(1.0)
        save_shot("Login", "win32-login-empty.png")
        subprocess.run(["xdotool", "windowactivate", "--sync", login[0]], timeout=30)
        subprocess.run(["xdotool", "type", "--delay", "80", "alice"], timeout=30)
        subprocess.run(["xdotool", "key", "--delay", "80", "Tab"], timeout=30)
        subprocess.run(["xdotool", "type", "--delay", "80", "secret7"], timeout=30)
        time.sleep(1.0)
        save_shot("Login", "win32-login.png")
        subprocess.run(["xdotool", "key", "Return"], timeout=30)

        try:
            connection, _ = peer.accept()
        except socket.timeout:
            failures.append("access request: nobody connected")
            return failures
        connection.settimeout(WAIT_SECONDS)
        received = b""
        while len(received) < 12:
            chunk = connection.recv(4096)
            if not chunk:
                break
            received += chunk
        if len(received) < 12:
            failures.append("access request: the stream ended after %d bytes" % len(received))
            return failures
        kind, padded, length = struct.unpack(">III", received[:12])
        while len(received) < 12 + padded:
            chunk = connection.recv(4096)
            if not chunk:
                break
            received += chunk
        body = received[12:12 + length]
        if kind != 16:
            failures.append("access request: message type %d" % kind)
        if b"alice" not in body:
            failures.append("access request: the typed user name is not in the body")
        connection.close()
        return failures
    finally:
        if client:
            client.kill()
            client.wait(timeout=30)
        shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    problems = main()
    for p in problems:
        print("FAILED:", p)
    print("display check:", "passed" if not problems else "failed")
    sys.exit(1 if problems else 0)
