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
        "image": (68, be32(1) + b"\0" * 16),
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


if __name__ == "__main__":
    main()
