#!/usr/bin/env python3
"""Helpers of the read and report end-to-end tests.

check OUT EXPR: exit 0 when the Python expression EXPR is true (prints what it saw otherwise).
Names in EXPR:
  text      what the run printed (the file OUT)
  doc       that text parsed as JSON (None when it is not a JSON document)
  port      the port entries of doc by name: {"ttyUSB0": {...}}
  dialogue  what the run wrote to each modem, by port name (files OUT.ttyUSBn)
  state     the variables each modem's rules set, by port name (files OUT.ttyUSBn.vars)
  one_line  doc written the way the tool writes its one-line form
  stored    stored(name): the message entries a port should report, SIM storage first
  sorted_msgs  sorted_msgs(entries): entries in a fixed order, for storages whose order is free
  read_block   read_block(name): what the menu's read shows for a port, colours included
  deleted   deleted(dialogue): the indexes deleted one by one, by the storage selected before
            ({"ME": [3, 4], "SM": [1]}); a storage check must stand between selection and deletes
"""
import json
import os
import re
import sys

# What the simulated modems of read_*.rules hold: (from, time, text) per storage, in the order
# the reader gives them (single messages by index, then long messages, joined).
LONG_TEXT = "这是一条很长的短信" * 9
# Control characters in a message: JSON escapes them, the console shows each as "?".
CONTROL_TEXT = "\x1b[31m警告\x1b[0m\x9b2J"
CONTROL_SHOWN = "?[31m警告?[0m?2J"
STORED = {
    "base": {
        "SIM": [("8613912345678", "21-01-11 13:25:42", "你好，世界"),
                ("13800138000", "", "回复：收到"),
                ("8613700000001", "21-01-13 09:01:02", LONG_TEXT)],
        "DEV": [("10086", "21-01-12 08:00:00", "Balance 12.5"),
                ("10010", "21-01-12 08:30:00", CONTROL_TEXT)],
    },
    "index": {
        "SIM": [("8613700000001", "21-01-13 09:01:02", LONG_TEXT)],
        "DEV": [("8615012345678", "21-01-20 10:10:10", "早上好"),
                ("95588", "21-01-21 20:20:20", "See you at 8")],
    },
    "cdma": {
        "SIM": [],
        "DEV": [("13800138000", "2021-01-14 10:20:30", "Hello CDMA"),
                ("13900139000", "2021-01-15 11:22:33", "上海业务")],
    },
    "refuse": {
        "SIM": [("8618611112222", "21-01-22 07:08:09", "存储在SIM卡里")],
        "DEV": [],
    },
}
# Which module sits behind which port (see the test scripts).
MODULES = {"ttyUSB0": "base", "ttyUSB1": "index", "ttyUSB2": "cdma", "ttyUSB3": "refuse"}


def stored(name):
    module = STORED[MODULES[name]]
    return [{"from": f, "time": t, "text": x, "storage": s}
            for s in ("SIM", "DEV") for (f, t, x) in module[s]]


def sorted_msgs(entries):
    return sorted(entries, key=lambda m: (m["storage"] != "SIM", m["from"], m["time"], m["text"]))


def green(text):
    return "\x1b[1m\x1b[32m" + text + "\x1b[0m"


def print_block(messages):
    separator = "-" * 50 + "\n"
    lines = ""
    for i, (number, time, text) in enumerate(messages):
        shown = CONTROL_SHOWN if text == CONTROL_TEXT else text
        lines += separator + " 第 %d 条短信\n发送号码: %s\n发送时间: %s\n短信内容: %s\n" % (i + 1, number, time, shown)
    return lines + separator


def read_block(name):
    module = MODULES[name]
    sim, dev = STORED[module]["SIM"], STORED[module]["DEV"]
    dev_read = module != "refuse"  # that module refuses device storage
    block = green("端口 %s 接收短信成功 共 %d 条短信" % (name, len(sim) + len(dev))) + "\n"
    block += green("SIM卡中的短信共 %d 条" % len(sim)) + "\n" + print_block(sim)
    if dev_read:
        block += green("设备中的短信共 %d 条" % len(dev)) + "\n" + print_block(dev)
    return block


def deleted(dialogue):
    indexes, storage, checked = {}, None, False
    for command in re.findall(r'AT\+CPMS="(\w+)"\r\n|(AT\+CPMS\?)\r\n|AT\+CMGD=(\d+)\r\n', dialogue):
        if command[0]:
            storage, checked = command[0], False
        elif command[1]:
            checked = True
        else:
            indexes.setdefault(storage if checked else "unchecked", []).append(int(command[2]))
    return {k: sorted(v) for k, v in indexes.items()}


def one_line(value):
    # The one-line form: members by key, no blanks, text as UTF-8.
    return json.dumps(value, sort_keys=True, separators=(",", ":"), ensure_ascii=False)


def check(out, expr):
    with open(out, encoding="utf-8", errors="surrogateescape", newline="") as f:
        text = f.read()
    try:
        doc = json.loads(text)
    except ValueError:
        doc = None
    port = {p["name"]: p for p in (doc or {}).get("ports", [])} if isinstance(doc, dict) else {}
    dialogue, state = {}, {}
    for n in range(64):
        path = "%s.ttyUSB%d" % (out, n)
        if os.path.exists(path):
            with open(path, "rb") as f:
                dialogue["ttyUSB%d" % n] = f.read().decode("latin-1")
        if os.path.exists(path + ".vars"):
            with open(path + ".vars") as f:
                state["ttyUSB%d" % n] = dict(line.rstrip("\n").split("=", 1) for line in f)
    names = {"text": text, "doc": doc, "port": port, "dialogue": dialogue, "state": state, "one_line": one_line,
             "stored": stored, "sorted_msgs": sorted_msgs, "read_block": read_block, "re": re,
             "deleted": deleted}
    try:
        ok = bool(eval(expr, names))
    except Exception as e:  # a failed check, not a broken test run
        print("  %s: %r" % (type(e).__name__, e))
        ok = False
    if not ok:
        print("  check: " + expr)
        print("  output: " + text[:3000].replace("\n", "\n  | "))
    return ok


def main():
    if len(sys.argv) != 4 or sys.argv[1] != "check":
        print(__doc__, file=sys.stderr)
        return 2
    return 0 if check(sys.argv[2], sys.argv[3]) else 1


if __name__ == "__main__":
    sys.exit(main())
