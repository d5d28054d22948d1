#!/usr/bin/env python3
"""Helpers of the send end-to-end tests.

check [--answer FILE] [--log FILE] EXPR: exit 0 when the Python expression EXPR is true, with
  a (the JSON answer in FILE, after any trace lines), text (that document as written),
  sms (the messages sent in the modem log FILE, parts joined: {"to", "text", "parts"}),
  log (the log itself), re and env.
"""
import json
import os
import re
import sys


def read_answer(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    # Detection may print trace lines before the document.
    text = "\n".join(lines[lines.index("{"):])
    return text, json.loads(text)


def decode_number(digits_len, toa, octets):
    digits = "".join("%x%x" % (o & 0x0F, o >> 4) for o in octets)[:digits_len].upper()
    return ("+" if toa == 0x91 else "") + digits


def decode_submit(hex_text):
    """One SMS-SUBMIT PDU (with its SMSC part) -> (to, (ref, total, seq) or None, text)."""
    b = bytes.fromhex(hex_text)
    i = 1 + b[0]
    first = b[i]
    i += 2  # first octet, message reference
    da_len, toa = b[i], b[i + 1]
    i += 2
    to = decode_number(da_len, toa, b[i:i + (da_len + 1) // 2])
    i += (da_len + 1) // 2
    dcs = b[i + 1]
    i += 2
    vpf = (first >> 3) & 3
    i += {0: 0, 2: 1}.get(vpf, 7)
    udl = b[i]
    ud = b[i + 1:]
    if dcs != 8:
        raise ValueError("not UCS2: DCS %02X" % dcs)
    concat = None
    if first & 0x40:  # TP-UDHI (3GPP TS 23.040)
        hl = ud[0]
        header = ud[1:1 + hl]
        j = 0
        while j < len(header):
            iei, ln = header[j], header[j + 1]
            v = header[j + 2:j + 2 + ln]
            if iei == 0x00:
                concat = (v[0], v[1], v[2])
            elif iei == 0x08:
                concat = (v[0] << 8 | v[1], v[2], v[3])
            j += 2 + ln
        ud = ud[1 + hl:udl]
    else:
        ud = ud[:udl]
    return to, concat, ud.decode("utf-16-be")


def sent_messages(log):
    messages = []
    open_parts = {}
    for length, body in re.findall(r"AT\+CMGS=(\d+)\r([0-9A-F]+)\x1a", log):
        smsc_octets = int(body[:2], 16) + 1
        if int(length) != len(body) // 2 - smsc_octets:
            raise ValueError("length command %s does not fit PDU %s" % (length, body))
        to, concat, text = decode_submit(body)
        if concat is None:
            messages.append({"to": to, "text": text, "parts": 1})
            continue
        ref, total, seq = concat
        key = (to, ref, total)
        parts = open_parts.setdefault(key, {})
        parts[seq] = text
        if len(parts) == total:
            del open_parts[key]
            joined = "".join(parts[k] for k in sorted(parts))
            messages.append({"to": to, "text": joined, "parts": total})
    return messages


def check(args):
    names = {"re": re, "env": os.environ}
    while args and args[0] in ("--answer", "--log"):
        flag, path = args[0], args[1]
        args = args[2:]
        if flag == "--answer":
            names["text"], names["a"] = read_answer(path)
        else:
            with open(path, encoding="latin-1", newline="") as f:
                names["log"] = f.read()
            names["sms"] = sent_messages(names["log"])
    expr = args[0]
    try:
        ok = bool(eval(expr, names))
    except Exception as e:  # a missing key or index is a failed check, not a crash
        ok = False
        print("  error: %r" % e)
    if not ok:
        print("  expression: " + expr)
        for key in ("a", "sms"):
            if key in names:
                print("  %s = %s" % (key, json.dumps(names[key], ensure_ascii=False)))
    return 0 if ok else 1


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "check":
        return check(sys.argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
