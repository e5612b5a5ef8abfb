"""Scenario: one host holds as many idle connections to a receiver's message
port as it can while another sends with corvane-send. Every exit 0 must be a
record the receiver filed (printed by corvane-peer listen-records, which files
before it closes), every record it did not file a non-zero exit."""

import signal

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


# Holds the message port of a host in one of two ways, from addresses given
# (each bound on the holder's host), until killed or 120 s pass:
#   idle N ADDR...      N idle connections from each address
#   stall N BYTES ADDR  N connections from one address, each writing BYTES
#                       and then neither writing nor closing
ABUSER = r"""
import socket, sys, time
kind, to, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
held = []
def connect(source):
    s = socket.socket()
    s.settimeout(5)
    s.bind((source, 0))
    s.connect((to, 37139))
    return s
if kind == "idle":
    for source in sys.argv[4:]:
        held += [connect(source) for _ in range(n)]
else:
    data = b"x" * int(sys.argv[4])
    for _ in range(n):
        s = connect(sys.argv[5])
        s.setblocking(False)
        held.append([s, memoryview(data)])
    # Until all is written or the receiver takes nothing more for 2 s.
    last = time.monotonic()
    while any(len(v) for _, v in held) and time.monotonic() - last < 2:
        for h in held:
            try:
                if len(h[1]):
                    h[1] = h[1][h[0].send(h[1]):]
                    last = time.monotonic()
            except BlockingIOError:
                pass
        time.sleep(0.01)
print("holding", len(held), flush=True)
time.sleep(120)
"""

# Sends records to a host the way older copies do: connect, write, close,
# without waiting for anything; as fast as it can, a bounded number.
BURSTER = r"""
import socket, sys
to, n = sys.argv[1], int(sys.argv[2])
FS = b"\xa9\xa9\xa9"
for i in range(n):
    s = socket.create_connection((to, 37139), timeout=10)
    s.sendall(FS.join([b"OLD", b"*", b"burst %d" % i, b"OLD"]))
    s.close()
print("sent", n, flush=True)
"""


def _add_addresses(b, n, count):
    """count extra addresses on host n (198.18.0.100 + i); returns them."""
    extra = ["%s.%d" % (bed.SUBNET, 100 + i) for i in range(count)]
    for a in extra:
        bed._run(["ip", "-n", b.host(n).ns, "addr", "add", a + "/24", "dev", "eth0"])
    return extra


def scenario_port_abuse(b, tools, s):
    """One host holds the message port with 64 idle connections from 16
    addresses, then with 3 connections that wrote 11.5 MB each and stalled:
    each time another host's message is delivered within 10 s. Then a burst
    of 200 records from a sender that writes and closes without waiting is
    filed whole."""
    h1 = b.host(1)
    c1 = s.start_copy(b, tools, 1)  # listens from its start
    sources = [b.host(3).address] + _add_addresses(b, 3, 15)
    for label, argv in (("64 idle connections from 16 addresses", ["idle", h1.address, "4"] + sources),
                        ("3 connections that wrote 11.5 MB and stalled",
                         ["stall", h1.address, "3", "11500000", sources[0]])):
        abuser = b.start(3, ["python3", "-c", ABUSER] + argv, "abuser")
        abuser.wait_line(r"^holding \d+", s.T)
        t0 = bed.time.monotonic()
        sent = b.run(2, [tools.send, "--timeout", "10", h1.address, label], "send", timeout=s.T)
        took = bed.time.monotonic() - t0
        s.expect(sent.popen.returncode == 0 and took <= 10,
                 "%s: another host's message took %.1f s, exit %s:%s" %
                 (label, took, sent.popen.returncode, sent.tail()))
        print("port_abuse: %s: delivered in %.1f s" % (label, took))
        abuser.stop()
    s.expect(c1.running(), "host1's copy ended:%s" % c1.tail())

    # A burst from a sender that does not wait is filed whole.
    c1.signal(signal.SIGTERM)
    c1.wait_exit(s.T)
    burst = 200
    records = b.start(1, [tools.peer, "listen-records", "--json", "--count", str(burst),
                          "--timeout", "60"], "listen-records")
    records.wait_line(r"^corvane-peer: listening on", s.T, "stderr")
    sender = b.start(2, ["python3", "-c", BURSTER, h1.address, str(burst)], "burster")
    sender.wait_line(r"^sent", s.T)
    s.expect(records.wait_exit(s.T + 30) == 0, "not every record of the burst was filed:%s" % records.tail())
    bodies = set(r["body"] for r in records.json_lines())
    s.expect(len(bodies) == burst, "%d different records of %d filed" % (len(bodies), burst))
