#!/usr/bin/env python3
"""Helpers of the send end-to-end tests.

check [--answer FILE] [--log FILE] EXPR: exit 0 when the Python expression EXPR is true, with
  a (the JSON answer in FILE, after any trace lines), text (that document as written),
  sms (the messages sent in the modem log FILE, parts joined: {"to", "text", "parts"}),
  log (the log itself), re and env.
type TRANSCRIPT DEADLINE_S PROMPT=TEXT... -- PROGRAM [ARGS...]: runs PROGRAM on a pseudo-terminal
  and types each TEXT (escapes \\r \\xHH...) once its PROMPT has appeared once more than at
  the last step with that PROMPT: after the menu prompt once the terminal is raw (single keys),
  after any other once it is back in line mode. Exits with PROGRAM's status, 124 on timeout.
"""
import codecs
import json
import os
import re
import select
import signal
import subprocess
import sys
import termios
import time

MENU_PROMPT = "回车键刷新 1发送短信 2接收短信 q退出".encode()


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


def in_raw_mode(fd):
    return not (termios.tcgetattr(fd)[3] & termios.ICANON)


def type_steps(args):
    sep = args.index("--")
    transcript, deadline_s = args[0], float(args[1])
    steps = []
    seen = {}
    for step in args[2:sep]:
        prompt, text = step.split("=", 1)
        prompt = prompt.encode()
        seen[prompt] = seen.get(prompt, 0) + 1
        steps.append((prompt, seen[prompt], codecs.decode(text, "unicode_escape").encode("latin-1")))
    master, slave = os.openpty()
    child = subprocess.Popen(args[sep + 1:], stdin=slave, stdout=slave, stderr=slave,
                             start_new_session=True, close_fds=True)
    os.close(slave)
    deadline = time.monotonic() + deadline_s
    output = b""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                chunk = b""
            if not chunk and child.poll() is not None:
                break
            output += chunk
        if steps:
            prompt, count, text = steps[0]
            if output.count(prompt) >= count and in_raw_mode(master) == (prompt == MENU_PROMPT):
                os.write(master, text)
                steps.pop(0)
        if not ready and child.poll() is not None:
            break
    status = child.poll()
    if status is None:
        os.killpg(child.pid, signal.SIGKILL)
        child.wait()
        status = 124
    try:
        while True:
            ready, _, _ = select.select([master], [], [], 0)
            if not ready:
                break
            chunk = os.read(master, 4096)
            if not chunk:
                break
            output += chunk
    except OSError:
        pass
    with open(transcript, "wb") as f:
        f.write(output.replace(b"\r\n", b"\n"))
    return status


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "check":
        return check(sys.argv[2:])
    if len(sys.argv) > 2 and sys.argv[1] == "type":
        return type_steps(sys.argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
