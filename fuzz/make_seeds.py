#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Seeds come from our own data: the staged data files of a build (resource
files, the disclaimer document, pictures taken out of them), the layouts in
assets/, and a conversation of the kind the lobby server holds with a client,
framed as on the wire. Run it after a build has staged its tree:

    fuzz/make_seeds.py build/ci/stage

The seeds stay small: a target's coverage comes from the fuzzing, the seeds
only show it what a well-formed input looks like.
"""

import hashlib
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def be32(*values):
    return b"".join(struct.pack(">I", v & 0xFFFFFFFF) for v in values)


def be16(*values):
    return b"".join(struct.pack(">H", v & 0xFFFF) for v in values)


def text_field(text, size):
    raw = text.encode("latin-1")[: size - 1]
    return raw + b"\0" * (size - len(raw))


def frame(msg_type, body):
    padded = (len(body) + 3) & ~3
    return be32(msg_type, padded, len(body)) + body + b"\0" * (padded - len(body))


# One body of every type the server sends, as a server fills them in.
GAMES = ["chess", "cards", "dice", "go", "backgammon", "puzzles"]


def room_info(room_id, game):
    return (be32(room_id, 0x7F000001) + be16(3000 + room_id, 0) + text_field(game, 31) + b"\0"
            + text_field(game + ".ogi", 16) + be32(1))


def bodies():
    return {
        "welcome": (1, be16(0) + b"\0\0" + b"Welcome to the Orva lobby.\nHave fun!\0"),
        "denied": (17, be16(3)),
        "disclaimer": (19, be32(2, 0) + b"Play fair.\r\nBe kind to each other.\0"),
        "granted": (64, be32(0, 0x00010100, 2)),
        "room": (65, room_info(1, "chess")),
        "status": (66, be32(1, 3) + be16(1)),
        "image": (68, be32(1) + small_set()),
        "entries": (97, be32(0, 2) + (be32(7) + text_field("entry", 64) + be16(1, 2)) * 2),
        "alert": (0xFFFFFFFF, be16(0) + b"The server goes down in 5 minutes.\nSorry.\0"),
    }


# fuzz_messages picks the type by the first byte, in the order of its table.
MESSAGE_TYPES = [1, 17, 19, 64, 65, 66, 68, 97, 0xFFFFFFFF, 16, 67, 18, 0x87654321, 2]


def access_request(new_user):
    body = be32(0x70726C72, 1) + text_field("player", 32) + text_field("secret", 32) + be16(3, 2, new_user)
    if not new_user:
        return body + b"\0\0"
    return body + text_field("A Player", 128) + text_field("player@orva.example", 128) + b"likes chess\0\0"


def conversation():
    """What a server sends after admitting a client, then an echo and an alert."""
    b = bodies()
    out = frame(*b["granted"])
    for room_id, game in enumerate(GAMES, start=1):
        out += frame(65, room_info(room_id, game))
        out += frame(66, be32(room_id, room_id % 3) + be16(1))
    out += frame(*b["welcome"]) + frame(*b["image"]) + frame(0x87654321, b"")
    out += frame(*b["disclaimer"]) + frame(*b["entries"]) + frame(*b["alert"])
    return out


def frames_seeds():
    stream = conversation()
    b = bodies()
    broken = (be32(65, 8, 9) + b"\0" * 8            # length above padded
              + be32(1, 0x7FFFFFF0, 4)             # padded length beyond the cap, skipped
              + frame(*b["denied"]))
    return {
        # flags, chunk sizes, stream
        "conversation-whole": bytes([0, 0]) + stream,
        "conversation-bytewise": bytes([0, 1, 1]) + stream,
        "conversation-chunks": bytes([2, 4, 5, 0, 13, 200]) + stream,
        "denied-then-destroyed": bytes([1, 1, 7]) + frame(*b["denied"]) + frame(*b["welcome"]),
        "broken-frames": bytes([0, 2, 3, 64]) + broken,
    }


def messages_seeds():
    seeds = {}
    for name, (msg_type, body) in bodies().items():
        seeds[name] = bytes([MESSAGE_TYPES.index(msg_type)]) + body
    seeds["login"] = bytes([MESSAGE_TYPES.index(16)]) + access_request(0)
    seeds["newuser"] = bytes([MESSAGE_TYPES.index(16)]) + access_request(1)
    seeds["imagerequest"] = bytes([MESSAGE_TYPES.index(67)]) + be32(4)
    return seeds


def access_request_as(user, password, new_user=0):
    body = be32(0x70726C72, 1) + text_field(user, 32) + text_field(password, 32) + be16(3, 2, new_user)
    if not new_user:
        return body + b"\0\0"
    return body + text_field("A Player", 128) + text_field("player@orva.example", 128) + b"likes chess\0\0"


def server_request_seeds():
    """What clients send: the fuzz target's server knows "player" with "secret"."""
    login = frame(16, access_request_as("player", "secret"))
    after = (frame(18, b"") + frame(67, be32(1)) + frame(67, be32(9)) + frame(0x87654321, b"")
             + frame(97, be32(0, 0)) + frame(67, b"\0"))
    return {
        "login-then-requests": login + after,
        "login-only": login,
        "wrong-password": frame(16, access_request_as("player", "guess")),
        "unknown-user": frame(16, access_request_as("nobody", "secret")),
        "register": frame(16, access_request_as("newcomer", "pass1234", 1)) + frame(18, b""),
        "register-taken": frame(16, access_request_as("Player", "pass1234", 1)),
        "request-before-admission": frame(67, be32(1)) + login,
        "broken-frame": be32(16, 80, 81) + b"\0" * 80,
        "oversized": be32(16, 0x10000, 0x10000),
    }


def resource_entries(data):
    if len(data) < 16 or data[4:8] != b"FORS":
        return []
    directory = struct.unpack(">I", data[12:16])[0]
    count = struct.unpack(">I", data[directory:directory + 4])[0]
    entries = []
    for k in range(count):
        at = directory + 4 + 16 * k
        entries.append(struct.unpack(">4I", data[at:at + 16]))
    return entries


def image_blocks(stage):
    """The image blocks inside the staged resource files, smallest first."""
    blocks = []
    for name in ("data/Salvind/salvind.ors", "data/common/orva.ors"):
        data = open(os.path.join(stage, name), "rb").read()
        for tag, _id, offset, size in resource_entries(data):
            if tag == 0x4F545854:  # texts and layouts
                continue
            length = struct.unpack(">I", data[offset:offset + 4])[0]
            blocks.append(data[offset:offset + length])
    return sorted(blocks, key=len)


def block(width, height, row_bytes, mask_row_bytes, colors, picture_rows, mask_rows):
    """An image block in file order: header, colour table, packed rows."""
    def packed(rows):
        return b"".join(be16(len(r)) + bytes(r) for r in rows)
    table = be32(len(colors)) + b"".join(bytes([k, c >> 16 & 255, c >> 8 & 255, c & 255])
                                          for k, c in enumerate(colors)) if colors else b""
    picture = packed(picture_rows) if picture_rows else b""
    mask = packed(mask_rows) if mask_rows else b""
    table_at = 40 if table else 0
    picture_at = 40 + len(table) if picture else 0
    mask_at = 40 + len(table) + len(picture) if mask else 0
    length = 40 + len(table) + len(picture) + len(mask)
    header = (be32(length, 0) + be16(width, height, row_bytes, mask_row_bytes) + be32(0, 0, 0)
              + be32(table_at, picture_at, mask_at))
    return header + table + picture + mask


def solid_block(w, h, colour):
    return block(w, h, w, 0, [0xFFFFFF, colour], [[0x80 + w, 1]] * h, None)


def mask_block(w, rows):
    return block(w, len(rows), 0, 1, None, None, [[1, bits] for bits in rows])


def definition(frames, images, shared_mask=b"", attachments=0, duration=20):
    """Header, frame table, image table, attachment table, blocks, mask, attachments."""
    frame_table = 32
    image_table = frame_table + 4 * len(frames)
    attachment_table = image_table + 4 * len(images)
    at = attachment_table + 4 * attachments
    image_offsets = []
    body = b""
    for im in images:
        image_offsets.append(at + len(body))
        body += im
    mask_at = at + len(body) if shared_mask else 0
    body += shared_mask
    attachment_offsets = []
    for k in range(attachments):
        attachment_offsets.append(at + len(body))
        body += bytes((0x10 * k + b) & 255 for b in range(24))
    header = (be32(0x11223344, 0x55667788) + be16(len(frames), duration, len(images), attachments)
              + be32(frame_table, mask_at, image_table if images else 0,
                     attachment_table if attachments else 0))
    table = b"".join(bytes([image, 0]) + be16(nxt) for image, nxt in frames)
    return (header + table + b"".join(be32(o) for o in image_offsets)
            + b"".join(be32(o) for o in attachment_offsets) + body)


def building_set(rect, idle, enter, closed):
    head = be32(0xCAFE0001) + be16(*rect)
    parts = [idle, enter, closed]
    offsets = []
    at = 24
    for part in parts:
        offsets.append(at if part else 0)
        at += len(part)
    return head + be32(*offsets) + b"".join(parts)


def small_set():
    """An 8 x 4 building: four looping idle frames with a shared mask, two
    enter frames without one, and a closed picture."""
    colours = [0x102030, 0x405060, 0x708090, 0xA0B0C0]
    idle = definition([(1, 0), (2, 0), (3, 0), (4, 1)], [solid_block(8, 4, c) for c in colours],
                      mask_block(8, [0xF0] * 4))
    enter = definition([(1, 0), (2, 0)], [solid_block(8, 4, 0xFF0000), solid_block(8, 4, 0x00FF00)],
                       attachments=1, duration=5)
    return building_set((100, 50, 108, 54), idle, enter, solid_block(8, 4, 0x808080))


def small_block():
    """A 5 x 2 block with a colour table of its own, a picture and a mask."""
    colors = be32(2) + bytes([0, 255, 255, 255, 1, 0, 160, 0])
    picture = be16(2) + bytes([0x85, 1]) + be16(6) + bytes([5, 0, 1, 0, 1, 0])
    mask = be16(2) + bytes([0x81, 0xF8]) + be16(2) + bytes([1, 0xA8])
    table_at = 40
    picture_at = table_at + len(colors)
    mask_at = picture_at + len(picture)
    length = mask_at + len(mask)
    header = be32(length, 0) + be16(5, 2, 5, 1) + be32(0, 0, 0) + be32(table_at, picture_at, mask_at)
    return header + colors + picture + mask


def image_seeds(stage):
    blocks = [small_block()] + [b for b in image_blocks(stage) if len(b) <= 8192][:2]
    seeds = {}
    for i, block in enumerate(blocks):
        seeds["file-%d" % i] = b"\0" + be32(1, 0x464F494D, 0) + block
        seeds["block-%d" % i] = b"\1" + block
    if len(blocks) >= 2:
        split = len(blocks[0])
        seeds["picture-and-mask"] = b"\2" + be16(split) + blocks[0] + blocks[1]
    return seeds


def resource_seeds(stage):
    seeds = {}
    for name in ("data/Salvind/salvind.ors", "data/common/orva.ors"):
        data = open(os.path.join(stage, name), "rb").read()
        if len(data) <= 32768:
            seeds[os.path.basename(name)] = data
    return seeds


def rect_list_seeds():
    seeds = {}
    folder = os.path.join(ROOT, "assets", "layouts")
    for name in sorted(os.listdir(folder)):
        seeds[name] = bytes([16]) + open(os.path.join(folder, name), "rb").read()
    seeds["negative"] = bytes([4]) + b"2\n-32768 -1 +5 32767\n0 0 1 1"
    return seeds


def disclaimer_seeds(stage):
    staged = open(os.path.join(stage, "data/Salvind/disclaim.otx"), "rb").read()
    text = b"Short terms.\r\n"
    return {
        "staged": staged,
        "accepted": be32(3, 0x4F545854, len(text) + 4, 1) + text + b"\0",
        "shortest": be32(1, 0x4F545854, 4, 0) + b"\0\0\0\0",
    }


def building_seeds(stage):
    seeds = {"small": small_set()}
    sets = os.path.join(stage, "server", "sets")
    if os.path.isdir(sets):
        for name in sorted(n for n in os.listdir(sets) if n.endswith(".set")):
            data = open(os.path.join(sets, name), "rb").read()
            if len(data) <= 32768:
                seeds[name] = data
    return seeds


def game_image_seeds(stage):
    small = small_set()
    seeds = {
        "small.ogi": be32(1, 0x464F4749, len(small)) + small,
        "longer-than-the-file.ogi": be32(1, 0x464F4749, len(small) + 1) + small,
    }
    files = os.path.join(os.path.dirname(stage), "assets", "buildings")
    if os.path.isdir(files):
        for name in sorted(n for n in os.listdir(files) if n.endswith(".ogi")):
            data = open(os.path.join(files, name), "rb").read()
            if len(data) <= 32768:
                seeds[name] = data
    return seeds


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    total = sum(len(d) for d in seeds.values())
    print("%-20s %3d seeds %7d bytes" % (target, len(seeds), total))


def main():
    stage = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "ci", "stage")
    write("fuzz_frames", frames_seeds())
    write("fuzz_messages", messages_seeds())
    write("fuzz_image", image_seeds(stage))
    write("fuzz_resource_file", resource_seeds(stage))
    write("fuzz_rect_list", rect_list_seeds())
    write("fuzz_disclaimer", disclaimer_seeds(stage))
    write("fuzz_building_set", building_seeds(stage))
    write("fuzz_game_image_file", game_image_seeds(stage))
    write("fuzz_server_request", server_request_seeds())


if __name__ == "__main__":
    main()
