"""Scenario: a receiving copy killed with SIGKILL right after each of several
corvane-send successes shows every one of them when it starts again."""

import os
import re
import signal
import sqlite3
import stat

# What a copy says at start about the messages it keeps.
KEPT_LINE = r"^corvane: (\d+) incoming and (\d+) outgoing messages kept in (.+)$"


def _kept(copy, s):
    line = copy.wait_line(KEPT_LINE, s.T, "stderr")
    m = re.search(KEPT_LINE, line)
    return int(m.group(1)), m.group(3)


def _bodies(path):
    """The incoming bodies the file holds, read as another program would."""
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=10)
    try:
        rows = db.execute("SELECT body FROM message WHERE store = 0 ORDER BY id").fetchall()
    finally:
        db.close()
    return [bytes(r[0]).decode("latin-1") for r in rows]


def scenario_kept_messages(b, tools, s):
    """Host 2 sends five messages to host 1 with corvane-send; host 1's copy
    is killed with SIGKILL the moment each sender exits 0, and started
    again: it keeps all five, in order, in a file only its owner can read."""
    h1 = b.host(1)
    texts = ["kept message %d" % i for i in range(1, 6)]
    copy = s.start_copy(b, tools, 1)
    for i, text in enumerate(texts):
        count, path = _kept(copy, s)
        s.expect(count == i, "the copy started with %d kept messages, not %d:%s" %
                 (count, i, copy.tail()))
        sent = b.run(2, [tools.send, "--timeout", "10", h1.address, text], "send%d" % (i + 1),
                     timeout=s.T)
        s.expect(sent.popen.returncode == 0, "corvane-send %d failed:%s" % (i + 1, sent.tail()))
        copy.signal(signal.SIGKILL)
        copy.wait_exit(s.T)
        copy = s.start_copy(b, tools, 1, "corvane%d" % (i + 2))
    count, path = _kept(copy, s)
    s.expect(count == len(texts), "after the last kill the copy keeps %d messages" % count)
    bodies = _bodies(path)
    s.expect(len(bodies) == len(texts) and all(t in body for t, body in zip(texts, bodies)),
             "the file holds %r" % bodies)
    folder = os.path.dirname(path)
    s.expect(stat.S_IMODE(os.stat(folder).st_mode) == 0o700, "the folder is not 0700")
    for name in os.listdir(folder):
        mode = stat.S_IMODE(os.stat(os.path.join(folder, name)).st_mode)
        if name.startswith("messages.db"):
            s.expect(mode == 0o600, "%s is %o, not 0600" % (name, mode))
    s.expect(copy.running(), "the copy ended:%s" % copy.tail())
