#!/usr/bin/env python3
"""Runs a program on a pseudo-terminal and types at its prompts, as an operator would.

usage: pty_keys.py TRANSCRIPT DEADLINE_S MENU_PROMPT STEP... -- PROGRAM [ARGS...]

Steps run in order, each waiting for its text in the output that follows the previous step's,
so a prompt asked again (after a refused answer) is answered at its next appearance:
  KEYS          typed at the next MENU_PROMPT, once the terminal is in raw mode (the menu reads
                single keys raw; typed earlier, Enter would reach it as a line feed)
  TEXT<TAB>KEYS typed once TEXT has appeared and the terminal is back in line mode (a line for
                a question read in line mode; typed while still raw, its Enter ends no line)
Escapes \\r \\n \\t \\xHH are understood in KEYS. The output, with the terminal's CR LF turned
back into LF, goes to TRANSCRIPT. Exits with the program's status, or 124 when it has not ended
within DEADLINE_S seconds (it is then killed).
"""
import codecs
import os
import select
import signal
import subprocess
import sys
import termios
import time


def parse_step(arg, menu_prompt):
    text, tab, keys = arg.partition("\t")
    if not tab:
        text, keys = None, arg
    keys = codecs.decode(keys, "unicode_escape").encode("latin-1")
    return (menu_prompt, keys, True) if text is None else (os.fsencode(text), keys, False)


def raw_mode(master):
    return not termios.tcgetattr(master)[3] & termios.ICANON


def main():
    sep = sys.argv.index("--")
    transcript, deadline_s = sys.argv[1], float(sys.argv[2])
    menu_prompt = os.fsencode(sys.argv[3])
    steps = [parse_step(a, menu_prompt) for a in sys.argv[4:sep]]
    command = sys.argv[sep + 1:]

    master, slave = os.openpty()
    child = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=slave,
                             start_new_session=True, close_fds=True)
    os.close(slave)

    deadline = time.monotonic() + deadline_s
    output = b""
    searched = 0  # output before this offset belongs to steps already taken
    while time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the program has closed its side
                chunk = b""
            if not chunk:
                if child.poll() is not None:
                    break
                time.sleep(0.01)
                continue
            output += chunk
        elif child.poll() is not None:
            break
        if steps:
            wait_for, keys, needs_raw = steps[0]
            at = output.find(wait_for, searched)
            if at >= 0 and raw_mode(master) == needs_raw:
                os.write(master, keys)
                searched = at + len(wait_for)
                steps.pop(0)
    status = child.poll()
    if status is None:
        os.killpg(child.pid, signal.SIGKILL)
        child.wait()
        status = 124
    try:
        while True:
            chunk = os.read(master, 4096)
            if not chunk:
                break
            output += chunk
    except OSError:
        pass
    os.close(master)
    with open(transcript, "wb") as f:
        f.write(output.replace(b"\r\n", b"\n"))
    sys.exit(status)


if __name__ == "__main__":
    main()
