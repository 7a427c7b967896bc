#!/usr/bin/env python3
"""The Windows client on a real display: salvind.exe under wine64 on an X
server with a window manager, driven with real X input.

Checks that the splash and the gate show the decoded pictures pixel for
pixel, that typing reaches the login window, and that "Connect" brings the
access request (the user name typed) to a peer on 127.0.0.1. Then, against
the real lobby server (the build machine's orva-lobbyd with the demo
configuration), that the demo account reaches the lobby and every building
stands in its own rectangle: outside them the window shows the map pixel for
pixel, inside each something of the building, over TLS with the demo
server's own certificate; that a client trusting another certificate
refuses the server with the identity message before anything but the
handshake is sent, the message standing above every other window. Last, that the installer installs silently into the
prefix's Program Files, that the installed salvind.exe started from another
folder shows the gate and keeps the accepted disclaimer in the player's own
folder, and that the uninstaller removes what was installed and leaves that
folder. Every wait is bounded.
Usage: display_check.py STAGE_DIR INSPECT_TOOL SERVER_DIR INSTALLER [SCREENSHOT_DIR]
with DISPLAY, WINEPREFIX and the wine64 program in WINE set.
"""

import contextlib
import glob
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

STAGE, INSPECT, SERVER, INSTALLER = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
SHOTS = sys.argv[5] if len(sys.argv) > 5 else None
WINE = os.environ.get("WINE", "wine64")
# The login window's caption while the connection will be TLS.
PROTECTED_LOGIN = "Login (protected connection)"
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
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)],
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


def client_tree():
    """A scratch copy of the client's tree with the disclaimer accepted, so the
    login window comes without it, and no stored buildings."""
    tree = os.path.join(tempfile.mkdtemp(dir=WORK), "stage")
    shutil.copytree(STAGE, tree)
    document = os.path.join(tree, "data", "Salvind", "disclaim.otx")
    with open(document, "r+b") as f:
        f.seek(12)
        f.write(struct.pack(">I", 1))
    for name in os.listdir(os.path.join(tree, "data", "Salvind")):
        if name.endswith(".ogi"):
            os.remove(os.path.join(tree, "data", "Salvind", name))
    return tree


def start_client(tree, port, trusted=None, pin=None, **more):
    """The client on 127.0.0.1:port; over TLS trusting the certificate file
    trusted or the pinned key, in plain without either (the scripted peer
    speaks plain); more environment variables from more."""
    env = dict(os.environ, SALVIND_SERVER_HOST="127.0.0.1", SALVIND_SERVER_PORT=str(port), WINEDEBUG="-all")
    if pin:
        env.update(SALVIND_SERVER_TLS="on", SALVIND_SERVER_PIN=pin)
    elif trusted:
        # Wine's drive Z: is the file system's root.
        env.update(SALVIND_SERVER_TLS="on", SALVIND_SERVER_CA="Z:" + trusted.replace("/", "\\"))
    else:
        env.update(SALVIND_SERVER_TLS="off")
    env.update(more)
    return subprocess.Popen([WINE, "salvind.exe"], cwd=tree, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop(process):
    if process and process.poll() is None:
        process.kill()
        process.wait(timeout=30)


def wait_for_window(title, size=None):
    """The window named title (of that drawing-area size, when given), or None."""
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        found = window_geometry(title)
        if found and (size is None or (found[3], found[4]) == size):
            return found
        time.sleep(0.3)
    return None


def log_in(login, user, password):
    subprocess.run(["xdotool", "windowactivate", "--sync", login[0]], timeout=30)
    subprocess.run(["xdotool", "type", "--delay", "80", user], timeout=30)
    subprocess.run(["xdotool", "key", "--delay", "80", "Tab"], timeout=30)
    subprocess.run(["xdotool", "type", "--delay", "80", password], timeout=30)
    time.sleep(1.0)


def expected_splash_and_gate(data, name):
    """The splash and the gate pictures of a data folder, decoded."""
    return (expected_picture([os.path.join(data, "common", "orva.ors"), "--item", "0"], name + "-splash"),
            expected_picture([os.path.join(data, "Salvind", "start.oim")], name + "-gate"))


def check_splash_and_gate(failures, pictures, label, shot_prefix):
    """Waits for the splash and then the gate to show their pictures."""
    for title, picture, part in (("Orva", pictures[0], "splash"), ("Gate", pictures[1], "gate")):
        problem = wait_for_picture(title, picture, "%s-%s.png" % (shot_prefix, part))
        if problem:
            failures.append("%s%s: %s" % (label, part, problem))


def peer_part(failures):
    """Splash, gate, login and the access request at a peer that only listens."""
    pictures = expected_splash_and_gate(os.path.join(STAGE, "data"), "staged")
    peer = socket.socket()
    peer.bind(("127.0.0.1", 0))
    peer.listen(1)
    peer.settimeout(WAIT_SECONDS)
    client = start_client(client_tree(), peer.getsockname()[1])
    try:
        check_splash_and_gate(failures, pictures, "", "win32")

        login = wait_for_window("Login")
        if not login:
            failures.append("login: the window never showed")
            return
        time.sleep(1.0)
        save_shot("Login", "win32-login-empty.png")
        log_in(login, "alice", "secret7")
        save_shot("Login", "win32-login.png")
        subprocess.run(["xdotool", "key", "Return"], timeout=30)

        try:
            connection, _ = peer.accept()
        except socket.timeout:
            failures.append("access request: nobody connected")
            return
        connection.settimeout(WAIT_SECONDS)
        received = b""
        while len(received) < 12:
            chunk = connection.recv(4096)
            if not chunk:
                break
            received += chunk
        if len(received) < 12:
            failures.append("access request: the stream ended after %d bytes" % len(received))
            return
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
    finally:
        stop(client)
        peer.close()


def scale_part(failures):
    """SALVIND_SCALE=2: the gate twice its size, each pixel a 2 x 2 block; the
    login window twice its size; the information box's "Requesting access
    ..." drawn by the program at the screen's resolution, not in blocks."""
    gate_png = os.path.join(WORK, "gate2.png")
    run(INSPECT, "file", os.path.join(STAGE, "data", "Salvind", "start.oim"), "--png", gate_png)
    gate = read_ppm(run("convert", gate_png, "-scale", "200%", "-depth", "8", "ppm:-"))
    peer = socket.socket()
    peer.bind(("127.0.0.1", 0))
    peer.listen(1)
    client = start_client(client_tree(), peer.getsockname()[1], SALVIND_SCALE="2")
    try:
        problem = wait_for_picture("Gate", gate, "win32-gate-scale2.png")
        if problem:
            failures.append("gate at scale 2: " + problem)
        login = wait_for_window("Login", (800, 520))
        if not login:
            failures.append("login at scale 2: no window of 800 x 520")
            return
        time.sleep(1.0)
        save_shot("Login", "win32-login-scale2.png")
        log_in(login, "alice", "secret7")
        subprocess.run(["xdotool", "key", "Return"], timeout=30)
        problem = wait_for_sharp_text("Salvind", "win32-info-scale2.png")
        if problem:
            failures.append("information box at scale 2: " + problem)
    finally:
        stop(client)
        peer.close()


def blocks_uniform(shown, w, x0, y0, x1, y1):
    """Whether every 2 x 2 block from (x0, y0) to (x1, y1), even corners
    counted from the window's, holds one colour."""
    for y in range(y0, y1 - 1, 2):
        for x in range(x0, x1 - 1, 2):
            i, j = 3 * (y * w + x), 3 * ((y + 1) * w + x)
            if not shown[i:i + 3] == shown[i + 3:i + 6] == shown[j:j + 3] == shown[j + 3:j + 6]:
                return False
    return True


def sharp_text_problem(shown, w, h):
    """Why the program's text in a window at scale 2 is not drawn at the
    screen's resolution (inside its ink's box some 2 x 2 block mixed, outside
    it every pixel one of a 2 x 2 block), or None."""
    inked = [(x, y) for y in range(h) for x in range(w) if shown[3 * (y * w + x):3 * (y * w + x) + 3] != b"\xff\xff\xff"]
    if not inked:
        return "no text shown"
    # The ink's box on even corners: the logical pixels the text touched.
    left = min(x for x, _ in inked) // 2 * 2
    top = min(y for _, y in inked) // 2 * 2
    right = min(w, (max(x for x, _ in inked) + 2) // 2 * 2)
    bottom = min(h, (max(y for _, y in inked) + 2) // 2 * 2)
    if blocks_uniform(shown, w, left, top, right, bottom):
        return "the text in %d x %d at (%d, %d) is made of 2 x 2 blocks" % (right - left, bottom - top, left, top)
    outside = [(0, 0, w, top), (0, bottom, w, h), (0, top, left, bottom), (right, top, w, bottom)]
    if not all(blocks_uniform(shown, w, *r) for r in outside):
        return "pixels outside the text are not in 2 x 2 blocks"
    return None


def wait_for_sharp_text(title, shot):
    """Waits until the window titled title shows its text sharp at scale 2;
    why not otherwise."""
    deadline = time.monotonic() + WAIT_SECONDS
    problem = "never shown"
    while time.monotonic() < deadline:
        found = window_geometry(title)
        if found:
            _, x, y, w, h = found
            _, _, shown = screen_area(x, y, w, h)
            problem = sharp_text_problem(shown, w, h)
            if not problem:
                break
        time.sleep(0.5)
    save_shot(title, shot)
    return problem


def start_server(tls="demo"):
    """orva-lobbyd on a scratch copy of the demo configuration (fast hashes, a
    free port): the process, its port (None when it did not listen) and the
    scratch folder. tls: "demo" for the demo certificate, a function of the
    scratch folder giving (certificate, key), or None for plain only."""
    # Short: the admin socket's path must fit a socket address.
    folder = tempfile.mkdtemp(prefix="orva-", dir="/tmp")
    server_dir = os.path.join(folder, "server")
    shutil.copytree(SERVER, server_dir, ignore=shutil.ignore_patterns("state"))
    config = os.path.join(server_dir, "lobby.toml")
    with open(config) as f:
        text = f.read()
    with open(config, "w") as f:
        f.write(text.replace('hash = "interactive"', 'hash = "fast"'))
    # The demo server's own certificate, as scripts/run.sh makes it.
    run(os.path.join(server_dir, "make-demo-cert.sh"), os.path.join(server_dir, "state"))
    files = []
    if tls == "demo":
        files = ["--tls", "state/demo-cert.pem", "state/demo-key.pem"]
    elif tls:
        files = ["--tls"] + list(tls(folder))
    log_path = os.path.join(folder, "orva-lobbyd.log")
    with open(log_path, "w") as log:
        server = subprocess.Popen([os.path.join(server_dir, "orva-lobbyd"), "--config", config,
                                   "--listen", "127.0.0.1:0"] + files, cwd=server_dir, stdout=log, stderr=log)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and server.poll() is None:
        with open(log_path) as f:
            found = re.search(r"listening on 127\.0\.0\.1:([0-9]+) ", f.read())
        if found:
            return server, int(found.group(1)), folder
        time.sleep(0.1)
    return server, None, folder


def building_rects():
    """(left, top, right, bottom) of every building set the server sends."""
    rects = []
    sets = os.path.join(SERVER, "sets")
    for name in sorted(os.listdir(sets)):
        info = json.loads(run(INSPECT, "file", os.path.join(sets, name), "--json"))
        rects.append(tuple(info["set"]["rect"]))
    return rects


def lobby_mismatch(shown, map_picture, rects):
    """Why the lobby's pixels are not the map with a building in each rectangle,
    or None."""
    w, h, expected = map_picture
    inside = bytearray(w * h)
    for left, top, right, bottom in rects:
        for y in range(max(0, top), min(h, bottom)):
            inside[y * w + max(0, left):y * w + min(w, right)] = b"\1" * (min(w, right) - max(0, left))
    outside_wrong = 0
    drawn = [0] * len(rects)
    for y in range(h):
        for x in range(w):
            i = y * w + x
            same = shown[3 * i:3 * i + 3] == expected[3 * i:3 * i + 3]
            if not inside[i]:
                outside_wrong += not same
            elif not same:
                for n, (left, top, right, bottom) in enumerate(rects):
                    if left <= x < right and top <= y < bottom:
                        drawn[n] += 1
    if outside_wrong:
        return "%d pixels outside the buildings differ from the map" % outside_wrong
    bare = [rects[n] for n, count in enumerate(drawn) if count == 0]
    if bare:
        return "no building drawn in %s" % bare
    return None


def marked_building(shown, w, h, rects):
    """The rectangle the focus mark rings (black 3 pixels outside it, white
    2 pixels outside it), or None."""
    def pixel(x, y):
        i = 3 * (y * w + x)
        return bytes(shown[i:i + 3])
    for left, top, right, bottom in rects:
        if left < 3 or top < 3 or right + 2 >= w or bottom + 2 >= h:
            continue
        if (pixel(left - 3, top - 3) == b"\0\0\0" and pixel(right + 2, bottom + 2) == b"\0\0\0"
                and pixel(left - 2, top - 2) == b"\xff\xff\xff"):
            return (left, top, right, bottom)
    return None


def key_moves_mark(lobby, rects, key, before):
    """Presses key in the lobby; the building the mark then rings, when it
    is another than before within the wait, else None."""
    subprocess.run(["xdotool", "key", key], timeout=30)
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        _, x, y, w, h = lobby
        _, _, shown = screen_area(x, y, w, h)
        now = marked_building(shown, w, h, rects)
        if now and now != before:
            return now
        time.sleep(0.3)
    return None


def lobby_part(failures):
    """The demo account reaches the lobby of the real server."""
    map_picture = expected_picture([os.path.join(STAGE, "data", "Salvind", "salvind.oim")], "map")
    icon_png = os.path.join(WORK, "icon.png")
    run(INSPECT, "file", os.path.join(STAGE, "data", "Salvind", "salvind.ors"), "--item", "0", "--png", icon_png)
    icon_w, icon_h, _ = read_ppm(run("convert", icon_png, "-depth", "8", "ppm:-"))
    # The welcome icon's bottom-right corner is at (580, 360) once the
    # welcome text has arrived.
    rects = building_rects() + [(580 - icon_w, 360 - icon_h, 580, 360)]

    with demo_log_in(failures, "lobby") as attempt:
        if not attempt:
            return
        _, folder = attempt
        lobby = wait_for_window("Salvind", (map_picture[0], map_picture[1]))
        if not lobby:
            failures.append("lobby: no lobby window")
            return
        # The welcome window comes over the map's left side; the pointer
        # could rest on a building and bring up its status window.
        welcome = wait_for_window("Welcome")
        if welcome:
            subprocess.run(["xdotool", "windowminimize", "--sync", welcome[0]], timeout=30)
        subprocess.run(["xdotool", "mousemove", "0", "0"], timeout=30)
        deadline = time.monotonic() + WAIT_SECONDS
        problem = "never looked"
        while time.monotonic() < deadline:
            _, x, y, w, h = lobby
            _, _, shown = screen_area(x, y, w, h)
            problem = lobby_mismatch(shown, map_picture, rects)
            if not problem:
                save_shot("Salvind", "win32-lobby-map.png")
                break
            time.sleep(0.5)
        if problem:
            failures.append("lobby: " + problem)
            return
        if "admitted user demo over TLS" not in server_log(folder):
            failures.append("lobby: the server did not log the admission over TLS")
        # By keyboard: Tab brings the focus mark to a building, Right moves
        # it on to another.
        subprocess.run(["xdotool", "windowactivate", "--sync", lobby[0]], timeout=30)
        first = key_moves_mark(lobby, rects[:-1], "Tab", None)
        if not first:
            failures.append("lobby: Tab brought no focus mark to a building")
            return
        if not key_moves_mark(lobby, rects[:-1], "Right", first):
            failures.append("lobby: Right did not move the focus mark on")
            return
        save_shot("Salvind", "win32-lobby-keyboard.png")


@contextlib.contextmanager
def demo_log_in(failures, label, tls="demo", trusted=None):
    """orva-lobbyd (tls as start_server takes it) and the client over TLS,
    trusting trusted(folder): a certificate file, or "pin:HEX" for a pinned
    key (by default the demo certificate); demo/orva typed into the login
    window and "Connect" pressed. Yields (client, scratch folder), or None
    after noting why it got no further; stops both afterwards."""
    server, port, folder = start_server(tls)
    client = None
    try:
        if not port:
            failures.append("%s: orva-lobbyd did not listen" % label)
            yield None
            return
        trust = trusted(folder) if trusted else os.path.join(folder, "server", "state", "demo-cert.pem")
        if trust.startswith("pin:"):
            client = start_client(client_tree(), port, pin=trust[4:])
        else:
            client = start_client(client_tree(), port, trust)
        login = wait_for_window(PROTECTED_LOGIN)
        if not login:
            failures.append("%s: the login window never showed" % label)
            yield None
            return
        time.sleep(1.0)
        log_in(login, "demo", "orva")
        subprocess.run(["xdotool", "key", "Return"], timeout=30)
        yield client, folder
    finally:
        stop(client)
        stop(server)
        shutil.rmtree(folder, ignore_errors=True)


# Where the disclaimer's "Accept" is (assets/layouts/disclaimer.rects,
# rectangle 1), in the window's drawing area.
ACCEPT_X, ACCEPT_Y = 276 + 45, 336 + 14


def wine_run(args, cwd=None, timeout=300):
    """Runs a Windows program to its end; its exit code."""
    env = dict(os.environ, WINEDEBUG="-all")
    return subprocess.run([WINE] + args, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=timeout).returncode


def installed_files(folder):
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder) for f in files)


def installer_part(failures):
    """The installer, silently; the installed client; the uninstaller."""
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive_c, "Program Files", "Salvind")
    shortcuts = os.path.join(drive_c, "*", "Microsoft", "Windows", "Start Menu", "Programs", "Salvind.lnk")
    players_glob = os.path.join(drive_c, "users", "*", "AppData", "Local", "Salvind")
    # What a run cut short may have left.
    shutil.rmtree(folder, ignore_errors=True)
    for left in glob.glob(players_glob):
        shutil.rmtree(left, ignore_errors=True)

    code = wine_run([INSTALLER, "/S"])
    if code != 0:
        failures.append("installer: exit code %d" % code)
        return
    files = installed_files(folder)
    for wanted in ["bin/salvind.exe", "share/salvind/data/Salvind/start.oim", "share/salvind/games/chess.exe",
                   "uninstall.exe"]:
        if os.path.normpath(wanted) not in files:
            failures.append("installer: %s is not installed" % wanted)
    dlls = [f for f in files if f.lower().endswith(".dll")]
    if dlls:
        failures.append("installer: libraries beside the program: %s" % dlls)
    if not glob.glob(shortcuts):
        failures.append("installer: no Start-menu entry")

    # Started from another folder, as the Start menu does.
    pictures = expected_splash_and_gate(os.path.join(folder, "share", "salvind", "data"), "installed")
    env = dict(os.environ, WINEDEBUG="-all")
    client = subprocess.Popen([WINE, r"C:\Program Files\Salvind\bin\salvind.exe"], cwd=WORK, env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check_splash_and_gate(failures, pictures, "installed ", "win32-installed")
        disclaimer = wait_for_window("Disclaimer Agreement")
        if not disclaimer:
            failures.append("installed client: no disclaimer on a first start")
            return
        _, x, y, _, _ = disclaimer
        subprocess.run(["xdotool", "mousemove", "--sync", str(x + ACCEPT_X), str(y + ACCEPT_Y), "click", "1"],
                       timeout=30)
        if not wait_for_window(PROTECTED_LOGIN):
            failures.append("installed client: no login window after the disclaimer")
    finally:
        stop(client)
    accepted = glob.glob(os.path.join(players_glob, "Salvind", "disclaim.otx"))
    if not accepted:
        failures.append("installed client: the accepted disclaimer is not in the player's folder")
    elif open(accepted[0], "rb").read()[15] != 1:
        failures.append("installed client: the player's disclaimer is not marked accepted")
    if installed_files(folder) != files:
        failures.append("installed client: the installed files changed")

    # The uninstaller copies itself away and ends at once; what it does
    # next is waited for.
    code = wine_run([r"C:\Program Files\Salvind\uninstall.exe", "/S"])
    if code != 0:
        failures.append("uninstaller: exit code %d" % code)
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline and (os.path.exists(folder) or glob.glob(shortcuts)):
        time.sleep(0.5)
    if os.path.exists(folder):
        failures.append("uninstaller: left %s" % installed_files(folder))
    if glob.glob(shortcuts):
        failures.append("uninstaller: the Start-menu entry stays")
    if not glob.glob(os.path.join(players_glob, "Salvind", "disclaim.otx")):
        failures.append("uninstaller: the player's folder was removed")
def server_log(folder):
    with open(os.path.join(folder, "orva-lobbyd.log")) as f:
        return f.read()


def openssl(*args):
    run("openssl", *args)


def self_signed(folder, name, names):
    """A self-signed certificate for names (subjectAltName text)."""
    cert, key = os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key")
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
            "-out", cert, "-days", "30", "-subj", "/CN=" + name, "-addext", "subjectAltName=" + names)
    return cert, key


def expired(folder):
    """A certificate for 127.0.0.1 valid only in 2020, signed by a CA of its
    own (ca.pem beside it)."""
    ca = os.path.join(folder, "ca")
    os.makedirs(ca, exist_ok=True)
    with open(os.path.join(ca, "ca.cnf"), "w") as f:
        f.write("[ca]\ndefault_ca = c\n[c]\ndatabase = %s/index.txt\nnew_certs_dir = %s\nserial = %s/serial\n"
                "default_md = sha256\npolicy = p\ncopy_extensions = copy\n[p]\ncommonName = supplied\n"
                % (ca, ca, ca))
    open(os.path.join(ca, "index.txt"), "w").close()
    with open(os.path.join(ca, "serial"), "w") as f:
        f.write("1000\n")
    cert, key = self_signed(ca, "ca", "DNS:ca.invalid")
    leaf_key, csr, leaf = (os.path.join(folder, n) for n in ("old.key", "old.csr", "old.pem"))
    openssl("req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", leaf_key,
            "-out", csr, "-subj", "/CN=old", "-addext", "subjectAltName=IP:127.0.0.1")
    openssl("ca", "-batch", "-notext", "-config", os.path.join(ca, "ca.cnf"), "-cert", cert, "-keyfile", key,
            "-in", csr, "-out", leaf, "-startdate", "20200101000000Z", "-enddate", "20210101000000Z")
    return leaf, leaf_key


def pin_of(key):
    """The SHA-256 of the key's public half (DER), hex."""
    der = run("openssl", "pkey", "-in", key, "-pubout", "-outform", "DER")
    out = subprocess.run(["openssl", "dgst", "-sha256", "-r"], input=der, check=True, capture_output=True,
                         timeout=60).stdout
    return out.split()[0].decode()


def pin_part(failures):
    """The demo server's pinned key alone, no trusted certificate, lets the
    client in."""
    pinned = lambda folder: "pin:" + pin_of(os.path.join(folder, "server", "state", "demo-key.pem"))
    with demo_log_in(failures, "pin", trusted=pinned) as attempt:
        if not attempt:
            return
        _, folder = attempt
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline and "admitted user demo over TLS" not in server_log(folder):
            time.sleep(0.3)
        if "admitted user demo over TLS" not in server_log(folder):
            failures.append("pin: the pinned server did not admit demo over TLS: " + server_log(folder))


def identity_part(failures):
    """Servers that cannot prove themselves: the identity message, exit code
    1, and the server never sees a request."""
    cases = [
        # (what, the server's TLS, the certificate the client trusts)
        ("another certificate trusted", "demo", lambda folder: run_make(folder, "impostor")),
        ("an expired certificate", expired, lambda folder: os.path.join(folder, "ca", "ca.pem")),
        ("a certificate for another name", lambda folder: self_signed(folder, "elsewhere", "DNS:elsewhere.example"),
         lambda folder: os.path.join(folder, "elsewhere.pem")),
        ("a server without TLS", None, lambda folder: os.path.join(folder, "server", "state", "demo-cert.pem")),
        # The pin of another key: the server's own certificate is not enough.
        ("the pin of another key", "demo", lambda folder: "pin:" + other_pin(folder)),
    ]
    for n, (what, tls, trusted) in enumerate(cases):
        refused(failures, what, tls, trusted, shot=(n == 0))


def other_pin(folder):
    run_make(folder, "other")
    return pin_of(os.path.join(folder, "other", "demo-key.pem"))


def topmost_window():
    """The window manager's topmost client window, or None."""
    out = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], capture_output=True, text=True,
                         timeout=30).stdout
    ids = re.findall(r"0x[0-9a-fA-F]+", out)
    return int(ids[-1], 16) if ids else None


def run_make(folder, name):
    run(os.path.join(folder, "server", "make-demo-cert.sh"), os.path.join(folder, name))
    return os.path.join(folder, name, "demo-cert.pem")


def refused(failures, what, tls, trusted, shot):
    label = "identity, " + what
    with demo_log_in(failures, label, tls, trusted) as attempt:
        if not attempt:
            return
        client, folder = attempt
        box = wait_for_window("Orva")
        if not box:
            failures.append("%s: no refusal box" % label)
            return
        time.sleep(1.0)
        if shot:
            save_shot("Orva", "win32-identity-refused.png")
        # The reason must be readable: nothing, not even the kept-on-top
        # "Requesting access" box, may stand over it.
        if topmost_window() != int(box[0]):
            failures.append("%s: the refusal box is not the topmost window" % label)
        subprocess.run(["xdotool", "windowactivate", "--sync", box[0]], timeout=30)
        subprocess.run(["xdotool", "key", "Return"], timeout=30)
        try:
            code = client.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            code = None
        if code != 1:
            failures.append("%s: the client ended with %r, not 1" % (label, code))
        log = server_log(folder)
        if "admitted user" in log or "refused user" in log:
            failures.append("%s: a request reached the server: %s" % (label, log))


def main():
    global WORK
    WORK = tempfile.mkdtemp(prefix="salvind-win32-display-")
    failures = []
    try:
        peer_part(failures)
        scale_part(failures)
        lobby_part(failures)
        installer_part(failures)
        pin_part(failures)
        identity_part(failures)
        return failures
    finally:
        shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    problems = main()
    for p in problems:
        print("FAILED:", p)
    print("display check:", "passed" if not problems else "failed")
    sys.exit(1 if problems else 0)
