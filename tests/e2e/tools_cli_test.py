#!/usr/bin/env python3
"""The command lines of corvane-peer and corvane-send, over loopback only.

Needs no root. Every datagram and connection goes to 127.0.0.0/8 on ports
chosen free for the run; "*" is only ever sent with --broadcast set to a
loopback address, and no name is ever resolved (addresses and "." only), so
nothing leaves the machine.

  tools_cli_test.py --peer BIN --send BIN
"""

import argparse
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

PEER = SEND = None
T = 20  # seconds for anything that should happen at once


def free_port():
    """A port free for UDP and TCP on 127.0.0.0/8 right now."""
    for _ in range(50):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as u:
            u.bind(("127.0.0.1", 0))
            port = u.getsockname()[1]
            with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as t:
                try:
                    t.bind(("127.0.0.1", port))
                    return port
                except OSError:
                    continue
    raise RuntimeError("no free port")


def run(argv, timeout=T, stdin=None):
    if argv[0] == PEER and argv[1:2] == ["send"] and "*" in argv and "--to" not in argv:
        assert "--broadcast" in argv, "a broadcast must stay on loopback"
    return subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=timeout, input=stdin)


class Background:
    """A listener in the background, its stdout collected line by line."""

    def __init__(self, argv):
        self.p = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.lines = []
        self.err = []
        self.cond = threading.Condition()
        self.threads = [threading.Thread(target=self._pump, args=(self.p.stdout, self.lines), daemon=True),
                        threading.Thread(target=self._pump, args=(self.p.stderr, self.err), daemon=True)]
        for t in self.threads:
            t.start()
        self.wait(lambda: any("listening on" in l for l in self.err) or self.p.poll() is not None,
                  "the listener's ready line")

    def _pump(self, stream, into):
        for line in iter(stream.readline, ""):
            with self.cond:
                into.append(line.rstrip("\n"))
                self.cond.notify_all()
        with self.cond:
            self.cond.notify_all()

    def wait(self, predicate, what):
        deadline = time.monotonic() + T
        with self.cond:
            while not predicate():
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError("no %s within %d s; stdout %r stderr %r" %
                                         (what, T, self.lines, self.err))
                self.cond.wait(min(left, 0.5))  # also wakes for the process's end

    def wait_lines(self, n):
        self.wait(lambda: len(self.lines) >= n, "%d lines" % n)
        with self.cond:
            return list(self.lines)

    def json(self):
        with self.cond:
            return [json.loads(l) for l in self.lines]

    def finish(self):
        try:
            return self.p.wait(T)
        finally:
            for t in self.threads:
                t.join(5)

    def stop(self):
        if self.p.poll() is None:
            self.p.kill()  # our own child, by its handle
        self.p.wait(T)
        for t in self.threads:
            t.join(5)


class Usage(unittest.TestCase):
    def check_usage_error(self, argv, words):
        p = run(argv)
        self.assertEqual(p.returncode, 2, "%s: %r" % (argv, p.stderr))
        self.assertEqual(p.stdout, "")
        for w in words:
            self.assertIn(w, p.stderr, argv)
        self.assertIn("--help", p.stderr)

    def test_help_for_every_command(self):
        p = run([PEER, "--help"])
        self.assertEqual(p.returncode, 0)
        for cmd in ("send", "listen", "send-record", "listen-records"):
            self.assertIn(cmd, p.stdout)
            for argv in ([PEER, cmd, "--help"], [PEER, "help", cmd], [PEER, cmd, "-h"]):
                q = run(argv)
                self.assertEqual(q.returncode, 0, argv)
                self.assertIn("Usage: corvane-peer " + cmd, q.stdout)
                self.assertIn("--port", q.stdout)
        s = run([SEND, "--help"])
        self.assertEqual(s.returncode, 0)
        self.assertIn("Usage: corvane-send [options] HOST TEXT", s.stdout)
        self.assertIn("--alias", s.stdout)

    def test_bad_arguments(self):
        self.check_usage_error([PEER], ["a command is needed"])
        self.check_usage_error([PEER, "sned"], ["unknown command 'sned'"])
        self.check_usage_error([PEER, "help", "sned"], ["unknown command 'sned'"])
        self.check_usage_error([PEER, "send", "."], ["TARGET and SLOT are needed"])
        self.check_usage_error([PEER, "send", "--frobnicate", ".", "S"], ["unknown option '--frobnicate'"])
        self.check_usage_error([PEER, "send", ".", "S", "--sender"], ["'--sender' needs a value"])
        self.check_usage_error([PEER, "send", "--bad-magic=yes", ".", "S"], ["takes no value"])
        self.check_usage_error([PEER, "send", "--tick", "-1", ".", "S"], ["--tick"])
        self.check_usage_error([PEER, "send", "--to", "nowhere", ".", "S"], ["--to needs an IPv4 address"])
        self.check_usage_error([PEER, "send", "--payload-hex", "4", ".", "S"], ["even number"])
        self.check_usage_error([PEER, "send", "--payload-hex", "zz", ".", "S"], ["not a hex digit"])
        self.check_usage_error([PEER, "send", "--payload-hex", "41", ".", "S", "F"], ["not both"])
        self.check_usage_error([PEER, "send", "--bad-checksum", "--lowercase-checksum", ".", "S"], ["exclude"])
        self.check_usage_error([PEER, "send", "--sender", "x", "--sender", "y", ".", "S"], ["more than once"])
        self.check_usage_error([PEER, "send", ".", "S" * 256], ["SLOT must be 1 to 255"])
        self.check_usage_error([PEER, "listen", "--count", "0"], ["--count"])
        self.check_usage_error([PEER, "listen", "--timeout", "soon"], ["--timeout"])
        self.check_usage_error([PEER, "listen", "--port", "70000"], ["--port"])
        self.check_usage_error([PEER, "listen", "extra"], ["unexpected argument 'extra'"])
        self.check_usage_error([PEER, "send-record"], ["HOST is needed"])
        self.check_usage_error([PEER, "send-record", "127.0.0.1"], ["--body"])
        self.check_usage_error([PEER, "send-record", "--body", "a", "--body-file", "f", "127.0.0.1"], ["--body"])
        self.check_usage_error([PEER, "send-record", "--raw-file", "f", "--alias", "a", "127.0.0.1"], ["--raw-file"])
        self.check_usage_error([SEND], ["HOST and TEXT are needed"])
        self.check_usage_error([SEND, "127.0.0.1", "two", "words"], ["unexpected argument 'words'"])
        self.check_usage_error([SEND, "127.0.0.1", ""], ["TEXT is empty"])
        self.check_usage_error([SEND, "--alias", "", "127.0.0.1", "x"], ["alias is empty"])
        self.check_usage_error([SEND, "--alias", "a\u00a9b", "127.0.0.1", "x"], ["\u00a9"])


class Datagrams(unittest.TestCase):
    def setUp(self):
        self.port = str(free_port())
        self.listeners = []

    def tearDown(self):
        for l in self.listeners:
            l.stop()

    def listen(self, *extra, address="127.0.0.2"):
        l = Background([PEER, "listen", "--bind", address, "--port", self.port, "--timeout", "60"] + list(extra))
        self.listeners.append(l)
        self.assertIsNone(l.p.poll(), "listener ended: %r" % l.err)
        return l

    def send(self, *args, ok=True):
        p = run([PEER, "send", "--port", self.port, "--bind", "127.0.0.3", "--sender", "ALPHA"] + list(args))
        if ok:
            self.assertEqual(p.returncode, 0, p.stderr)
        return p

    def test_fields_flags_and_filters(self):
        l = self.listen("--json", "--name", "BRAVO")
        to = ["--to", "127.0.0.2"]
        self.send(*to, "--header-target", "BRAVO", "X", "CORVANE3", "Привет", "tab\there", "a\\b", "--",
                  "-dash")
        self.send(*to, "--header-target", "bravo", "--bad-checksum", "X", "slot2", "x")
        self.send(*to, "--header-target", "CHARLIE", "--lowercase-checksum", "X", "slot3", "y")
        self.send(*to, "--bad-magic", "X", "slot4", "never shown")
        self.send(*to, "--truncate", "9", "X", "slot5", "never shown")
        self.send(*to, "--payload-hex", "", "--header-target", "BRAVO", "X", "slot6")
        self.send("127.0.0.2", "END")
        lines = l.wait_lines(5)
        got = l.json()
        self.assertEqual(len(got), 5, got)
        first = got[0]
        self.assertEqual((first["target"], first["sender"], first["from"], first["slot"], first["checksum"],
                          first["here"]), ("BRAVO", "ALPHA", "127.0.0.3", "CORVANE3", "ok", True))
        self.assertEqual(first["fields"], ["Привет", "tab\there", "a\\b", "-dash"])
        self.assertRegex(first["prefix"], r"^[0-9A-F]{4}$")
        self.assertEqual((got[1]["target"], got[1]["checksum"], got[1]["here"]), ("bravo", "bad", True))
        self.assertEqual((got[2]["checksum"], got[2]["here"], got[2]["fields"]), ("bad", False, ["y"]))
        self.assertEqual((got[3]["slot"], got[3]["fields"], got[3]["frame_bytes"], got[3]["checksum"]),
                         ("slot6", [], 8, "ok"))
        # An address as TARGET travels as "*".
        self.assertEqual((got[4]["target"], got[4]["slot"], got[4]["fields"]), ("*", "END", []))
        self.assertTrue(all(json.loads(x) for x in lines))

    def test_tab_separated_lines_escape(self):
        l = self.listen("--count", "1", "--name", "ALPHA")
        self.send("--self", "127.0.0.2", "--tick", "10001", ".", "CORVANE3", "tab\there", "nl\nx", "back\\slash", "ok")
        self.assertEqual(l.finish(), 0)
        cols = l.lines[0].split("\t")
        self.assertEqual(cols[:7], ["ALPHA", "ALPHA", "127.0.0.3", "CORVANE3", "ok", "yes", "0001"])
        self.assertEqual(cols[7:], ["tab\\there", "nl\\nx", "back\\\\slash", "ok"])

    def test_broadcast_goes_to_self_and_broadcast_addresses(self):
        a = self.listen("--json", "--count", "1", address="127.0.0.2")
        b = self.listen("--json", "--count", "1", address="127.0.0.4")
        self.send("--self", "127.0.0.2", "--broadcast", "127.0.0.4", "*", "CHATSLOT3", "hello")
        self.assertEqual(a.finish(), 0)
        self.assertEqual(b.finish(), 0)
        for l in (a, b):
            p = l.json()[0]
            self.assertEqual((p["target"], p["slot"], p["fields"]), ("*", "CHATSLOT3", ["hello"]))

    def test_repeat_takes_the_next_prefixes(self):
        l = self.listen("--json", "--count", "4")
        self.send("--to", "127.0.0.2", "--repeat", "4", "--tick", "19998", "X", "S", "r")
        self.assertEqual(l.finish(), 0)
        self.assertEqual([p["prefix"] for p in l.json()], ["270E", "270F", "0000", "0001"])

    def test_slot_and_here_filters(self):
        l = self.listen("--json", "--slot", "corvane3", "--here-only", "--name", "BRAVO")
        to = ["--to", "127.0.0.2"]
        self.send(*to, "--header-target", "BRAVO", "X", "CHATSLOT3", "other slot")
        self.send(*to, "--header-target", "CHARLIE", "X", "CORVANE3", "not here")
        self.send(*to, "--header-target", "BRAVO", "X", "CORVANE3", "shown")
        self.send(*to, "--header-target", "*", "X", "Corvane3", "END")
        l.wait_lines(2)
        self.assertEqual([p["fields"] for p in l.json()], [["shown"], ["END"]])

    def test_listen_ends_by_count_or_timeout(self):
        p = run([PEER, "listen", "--bind", "127.0.0.2", "--port", self.port, "--count", "3", "--timeout", "0.3"])
        self.assertEqual(p.returncode, 3, p.stderr)
        p = run([PEER, "listen", "--bind", "127.0.0.2", "--port", self.port, "--timeout", "0.3"])
        self.assertEqual(p.returncode, 0, p.stderr)

    def test_port_taken_and_unknown_address(self):
        self.listen()
        p = run([PEER, "listen", "--bind", "127.0.0.2", "--port", self.port, "--timeout", "1"])
        self.assertEqual(p.returncode, 1)
        self.assertIn("cannot bind", p.stderr)
        p = self.send("--to", "127.0.0.2", "--payload-hex", "00" * 60001, "X", "S", ok=False)
        self.assertEqual(p.returncode, 1)
        self.assertIn("could not be sent", p.stderr)


class Records(unittest.TestCase):
    def setUp(self):
        self.port = str(free_port())
        self.listener = None

    def tearDown(self):
        if self.listener:
            self.listener.stop()

    def test_records_from_both_tools(self):
        self.listener = l = Background([PEER, "listen-records", "--json", "--bind", "127.0.0.2",
                                        "--port", self.port, "--count", "5", "--timeout", "60"])
        p = run([PEER, "send-record", "--port", self.port, "--body", "line1\nline2\ttab", "--alias", "Анна",
                 "--recipient", "ALL", "127.0.0.2"])
        self.assertEqual(p.returncode, 0, p.stderr)
        with tempfile.NamedTemporaryFile() as f:
            f.write(b"A\xa9\xa9\xa9\xa9\xa9\xa9B\xa9\xa9\xa9C")  # an empty field vanishes
            f.flush()
            p = run([PEER, "send-record", "--port", self.port, "--raw-file", f.name, "127.0.0.2"])
            self.assertEqual(p.returncode, 0, p.stderr)
        p = run([PEER, "send-record", "--port", self.port, "--body-file", "-", "--alias", "Z", "127.0.0.2"],
                stdin="{\\rtf1 x}")
        self.assertEqual(p.returncode, 0, p.stderr)
        p = run([SEND, "--port", self.port, "--alias", "Борис", "127.0.0.2", "Добрый день"])
        self.assertEqual(p.returncode, 0, p.stderr)
        p = run([SEND, "--port", self.port, "--alias", "B", "127.0.0.2", "-"], stdin="Из stdin\n")
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertEqual(l.finish(), 0)
        r = l.json()
        self.assertEqual((r[0]["sender"], r[0]["recipient"], r[0]["body"], r[0]["alias"], r[0]["fields"]),
                         ("Анна", "ALL", "line1\nline2\ttab", "Анна", 4))
        self.assertEqual((r[1]["sender"], r[1]["recipient"], r[1]["body"], r[1]["alias"], r[1]["fields"],
                          r[1]["bytes"]), ("A", "B", "C", "", 3, 12))
        self.assertEqual((r[2]["body"], r[2]["sender"], r[2]["recipient"]), ("{\\rtf1 x}", "Z", "127.0.0.2"))
        self.assertEqual((r[3]["sender"], r[3]["alias"], r[3]["recipient"], r[3]["fields"]),
                         ("Борис", "Борис", "127.0.0.2", 4))
        body = r[3]["body"]
        self.assertTrue(body.startswith("{\\rtf1"), body)
        self.assertTrue(all(ord(c) < 128 for c in body), "the RTF body is not 7-bit")
        escaped = "".join("\\u%d\\'%02x" % (ord(c), c.encode("cp1251")[0]) for c in "Добрый")
        self.assertIn(escaped, body)
        self.assertIn("\\u1048\\'c8\\u1079\\'e7 stdin", r[4]["body"])

    def test_refused_is_a_failure_with_its_reason(self):
        for argv in ([PEER, "send-record", "--port", self.port, "--body", "x", "127.0.0.2"],
                     [SEND, "--port", self.port, "127.0.0.2", "x"]):
            p = run(argv)
            self.assertEqual(p.returncode, 1, argv)
            self.assertIn("refused", p.stderr.lower())

    def test_listen_records_port_taken(self):
        self.listener = Background([PEER, "listen-records", "--bind", "127.0.0.2", "--port", self.port])
        p = run([PEER, "listen-records", "--bind", "127.0.0.2", "--port", self.port, "--timeout", "1"])
        self.assertEqual(p.returncode, 1)
        self.assertIn("cannot listen", p.stderr)


def main():
    global PEER, SEND
    ap = argparse.ArgumentParser()
    ap.add_argument("--peer", required=True)
    ap.add_argument("--send", required=True)
    args, rest = ap.parse_known_args()
    PEER, SEND = os.path.abspath(args.peer), os.path.abspath(args.send)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
