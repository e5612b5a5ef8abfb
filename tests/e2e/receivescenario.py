"""Scenario: one host holds as many idle connections to a receiver's message
port as it can while another sends with corvane-send. Every exit 0 must be a
record the receiver filed (printed by corvane-peer listen-records, which files
before it closes), every record it did not file a non-zero exit."""

import bed

HOLDER = r"""
import socket, sys, time
held = []
for _ in range(64):
    s = socket.socket()
    s.settimeout(5)
    try:
        s.connect((sys.argv[1], 37139))
        held.append(s)
    except OSError:
        pass
print("holding", len(held), flush=True)
time.sleep(120)
"""


def scenario_held_slots(b, tools, s):
    h1, h2 = b.host(1), b.host(2)
    keep = 8  # records the listener files; it refuses (resets) the rest
    records = b.start(1, [tools.peer, "listen-records", "--json", "--count", str(keep),
                          "--timeout", "120"], "listen-records")
    records.wait_line(r"^corvane-peer: listening on", s.T, "stderr")
    holder = b.start(3, ["python3", "-c", HOLDER, h1.address], "holder")
    holder.wait_line(r"^holding \d+", s.T)
    # Senders in parallel, more than the listener will file.
    texts = ["message %d" % i for i in range(12)]
    sends = [b.start(2, [tools.send, "--timeout", "10", h1.address, t], "send%d" % i)
             for i, t in enumerate(texts)]
    codes = [p.wait_exit(s.T) for p in sends]
    records.wait_exit(s.T)
    filed = [r["body"] for r in records.json_lines()]
    delivered = [t for t, c in zip(texts, codes) if c == 0]
    s.expect(all(c in (0, 1) for c in codes), "exit codes %r" % codes)
    s.expect(len(delivered) == len(filed) == keep,
             "%d sends said delivered, %d records filed (exit codes %r)" %
             (len(delivered), len(filed), codes))
    for t in delivered:
        s.expect(any(t in body for body in filed), "%r said delivered but was not filed" % t)
    s.expect(holder.running(), "the holder ended:%s" % holder.tail())
