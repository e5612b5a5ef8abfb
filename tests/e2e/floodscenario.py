"""The flood scenario: one host floods a real copy's chat room (opened by a
click in a real window) with invented arrivals and list requests, while an
honest member's lines, one a second, must all show in the room. Before the
flood, requests that name anyone but their sender get nothing sent there.
"""

import os

import bed
import chatscenario

HERE = os.path.dirname(os.path.abspath(__file__))

CHAT = chatscenario.CHAT
PRESENCE = chatscenario.PRESENCE
LINES = 15     # honest lines, a second apart
SHOWN = 12     # of which at least this many show within 5 s
ARRIVALS = 1000  # invented arrivals a second
REQUESTS = 10    # list requests a second

# Sends invented arrivals and list requests at a steady rate to one host,
# bounded in count and time. Packet and frame as the program writes them
# (sniff.py; the hosts share the file system).
FLOODER = "import sys; sys.path.insert(0, %r)\nfrom sniff import encode_packet\n" % HERE + r"""
import socket, time
to, target, seconds, arrivals, requests = sys.argv[1], sys.argv[2].encode(), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
FS = b"\xa9\xa9\xa9"
def packet(payload, tick):
    return encode_packet(target, b"FLOOD", b"CHATSLOT3", payload, tick)
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
start = time.monotonic()
sent = n = 0
print("flooding", flush=True)
while time.monotonic() - start < seconds and n < arrivals * seconds:
    due = int((time.monotonic() - start) * arrivals)
    while n < due:
        s.sendto(packet(FS.join([b"ChatUserConnected", b"N%d" % n, b"F%d" % n]), n), (to, 37139))
        if n % (arrivals // requests) == 0:
            s.sendto(packet(FS.join([b"ChatGetUsersList", b"FLOOD%d" % n, b"HOST3"]), n + 1), (to, 37139))
        n += 1
    time.sleep(0.005)
print("flooded", n, flush=True)
"""


def _only_to_source(b, tools, helpers, wire):
    """Requests naming "*", a broadcast, a third computer or its address are
    answered nowhere; the one naming its own sender is answered to it."""
    expect, T = helpers.expect, helpers.T
    h1, h2, h3 = b.host(1), b.host(2), b.host(3)
    bad = ["*", "198.18.0.255", "255.255.255.255", h2.address, h2.computer]
    for named in bad:
        helpers.peer_send(b, tools, 3, [h1.computer, PRESENCE, "WHO_IS_HERE", named], "who-" + named)
        helpers.peer_send(b, tools, 3, [h1.computer, CHAT, "ChatGetUsersList", "ASKER", named],
                          "list-" + named)
    helpers.peer_send(b, tools, 3, [h1.computer, PRESENCE, "WHO_IS_HERE", h3.address], "who-good")
    helpers.peer_send(b, tools, 3, [h1.computer, CHAT, "ChatGetUsersList", "ASKER", h3.computer],
                      "list-good")
    wire.wait_json(lambda p: helpers.is_packet(p, sender=h1.computer, first="I_AM_HERE") and
                   p["to"] == h3.address, T, "host1's answer to the request naming its sender")
    wire.wait_json(lambda p: helpers.is_packet(p, sender=h1.computer, first="ChatGetUserName") and
                   p["to"] == h3.address, T, "host1's list for the request naming its sender")
    answers = [p for p in wire.json_lines() if p.get("sender") == h1.computer and
               p.get("fields", [None])[0] in ("I_AM_HERE", "ChatGetUserName")]
    wrong = [p for p in answers if p["to"] != h3.address]
    expect(wrong == [], "answers went elsewhere: %r" % wrong)


def scenario_chat_flood(b, tools, helpers):
    """Requests naming anyone but their sender get nothing sent there; then
    host 3 floods host 1's open chat room with 1,000 invented arrivals and
    10 list requests a second while an honest member on host 2 sends a line
    a second: at least 12 of its 15 lines show within 5 s (the room's text is
    saved 5 s after the last one), and the copy goes on."""
    with chatscenario.Display(b, 1, helpers.Failure) as x1:
        _flood(b, tools, helpers, x1)


def _flood(b, tools, helpers, x1):
    expect, T = helpers.expect, helpers.T
    h1, h2, h3 = b.host(1), b.host(2), b.host(3)
    wire = b.sniff()
    c1 = helpers.start_copy(b, tools, 1, env=x1.env())
    helpers.show_copy(b, tools, 1, c1)
    x1.click_chat(x1.window("Corvane 3.0"))
    wire.wait_json(lambda p: helpers.is_packet(p, sender=h1.computer, first="ChatGetUsersList"), T,
                   "host1's room opening")
    _only_to_source(b, tools, helpers, wire)

    helpers.peer_send(b, tools, 2, ["*", CHAT, "ChatUserConnected", "HONEST", h2.computer], "honest-arrives")
    seconds = LINES + 15
    flooder = b.start(3, ["python3", "-c", FLOODER, h1.address, h1.computer, str(seconds),
                          str(ARRIVALS), str(REQUESTS)], "flooder")
    flooder.wait_line(r"^flooding", T)
    sent = []
    for i in range(LINES):
        t0 = bed.time.monotonic()
        text = "honest line %d" % i
        helpers.peer_send(b, tools, 2, ["*", CHAT, "ChatUserMessageSent", "HONEST", text], "line%d" % i)
        sent.append(text)
        bed.time.sleep(max(0.0, 1.0 - (bed.time.monotonic() - t0)))
    bed.time.sleep(5)
    expect(flooder.running(), "the flood ended before the lines were checked:%s" % flooder.tail())

    text = x1.saved_room(h1, T)
    shown = [t for t in sent if ("HONEST> " + t).encode() in text]
    expect(len(shown) >= SHOWN, "%d of %d honest lines shown: %r" % (len(shown), LINES, shown))
    flooded = text.count(b"HAS ENTERED TO THE CHAT")
    expect(flooded > 100, "the flood did not reach the room (%d arrivals shown)" % flooded)
    expect(c1.running(), "host1's copy ended:%s" % c1.tail())
    print("chat_flood: %d of %d honest lines shown, %d arrivals shown" % (len(shown), LINES, flooded))
