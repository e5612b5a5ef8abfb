"""Scenarios of two subnets joined by a router that passes no broadcast: the
copy on host 1 lists host 2's network in OtherNetworks, host 2's copy lists
nothing, and still both find each other, talk and chat; on the wire no
broadcast crosses, unicast goes only where it may, and at a bounded pace."""

import chatscenario
from settingsscenario import write_settings

LISTING = """[TMainForm]
CheckBox1_Checked=False
CheckBox3_Checked=False
OtherNetworks=198.18.1.0/24
"""
# Host 2 answers messages automatically, back to where they came from.
ANSWERING = """[TMainForm]
CheckBox1_Checked=False
CheckBox6_Checked=True
"""


def crossing(s, port, first, sender, to):
    """A datagram of sender's to address to, seen as it left the router."""
    return lambda p: (p.get("port") == port and p.get("checksum") == "ok" and p.get("to") == to and
                      s.is_packet(p, sender=sender, first=first))


def find_each_other(s, wire, a, b, timeout):
    """host a's request reaches b across the router, b answers and asks back,
    a answers: each lists the other."""
    T = s.T
    wire.wait_json(crossing(s, "r0", "I_AM_HERE", b.computer, a.address), timeout, "b's answer to a")
    back = wire.wait_json(crossing(s, "r0", "WHO_IS_HERE", b.computer, a.address), T,
                          "b asking a back")
    s.expect(back["target"] == a.computer, "b asked back %r" % back)
    wire.wait_json(crossing(s, "r1", "I_AM_HERE", a.computer, b.address), T, "a's answer to b")


def scenario_other_networks(b, tools, s):
    """Host 1 lists host 2's network, host 2 lists nothing: within seconds of
    both windows showing each has the other's answer; a message chosen in host
    1's tree reaches host 2, whose automatic answer comes back as a popup; a
    chat line typed on host 2 shows in host 1's room."""
    with chatscenario.Display(b, 1, s.Failure) as x1, chatscenario.Display(b, 2, s.Failure) as x2:
        _other_networks(b, tools, s, x1, x2)


def _other_networks(b, tools, s, x1, x2):
    T, expect = s.T, s.expect
    h1, h2 = b.host(1), b.host(2)
    wire = b.sniff()
    write_settings(h1, tools.corvane, LISTING)
    write_settings(h2, tools.corvane, ANSWERING)
    c2 = s.start_copy(b, tools, 2, env=x2.env())
    s.show_copy(b, tools, 2, c2)
    c1 = s.start_copy(b, tools, 1, env=x1.env())
    s.show_copy(b, tools, 1, c1)
    find_each_other(s, wire, h1, h2, T)

    # A message to host 2, chosen in host 1's network tree: Alt+C drops the
    # tree down, typing finds HOST2, Enter chooses it, F5 sends.
    x1.window("Corvane 3.0")
    x1.xdotool("key", "alt+c", "sleep", "0.5")
    x1.xdotool("type", "--delay", "50", h2.computer.lower())
    x1.xdotool("key", "Return", "sleep", "0.3", "key", "alt+m", "sleep", "0.3")
    x1.xdotool("type", "--delay", "20", "hello across the router")
    x1.xdotool("key", "F5")
    wire.wait_json(lambda p: p.get("tcp") and (p["port"], p["to"]) == ("r1", h2.address), T,
                   "host1's message connection to host2")
    # Host 2 answers automatically to where the message came from.
    wire.wait_json(lambda p: p.get("tcp") and (p["port"], p["to"]) == ("r0", h1.address), T,
                   "host2's automatic answer to host1")
    x1.xdotool("search", "--sync", "--onlyvisible", "--name", r"^Incoming Message", timeout=T)

    # The chat room: host 1 opens it, then host 2, whose line host 1 shows.
    x1.click_chat(x1.window("Corvane 3.0"))
    x2.click_chat(x2.window("Corvane 3.0"))
    wire.wait_json(crossing(s, "r0", "ChatGetUsersList", h2.computer, h1.address), T,
                   "host2's list request at host1")
    x2.window("Chat")
    x2.type_line("hello from the other side")
    wire.wait_json(crossing(s, "r0", "ChatUserMessageSent", h2.computer, h1.address), T,
                   "host2's line on its way to host1")
    text = x1.saved_room(h1, T)
    expect(b"HOST2> hello from the other side" in text, "host1's room lacks the line: %r" % text)
    expect(c1.running() and c2.running(), "a copy ended:%s%s" % (c1.tail(), c2.tail()))


def scenario_no_broadcast_crosses(b, tools, s):
    """Host 1 (listing host 2's network) shows first, host 2 later: they find
    each other at host 1's next round. No broadcast crosses the router; host 1
    sends across only to the listed network, each address once a request, at
    most about 250 a second; host 2 sends across only to host 1."""
    T, expect = s.T, s.expect
    h1, h2 = b.host(1), b.host(2)
    wire = b.sniff()
    write_settings(h1, tools.corvane, LISTING)
    c1 = s.start_copy(b, tools, 1)
    s.show_copy(b, tools, 1, c1)
    c2 = s.start_copy(b, tools, 2)
    s.show_copy(b, tools, 2, c2)
    find_each_other(s, wire, h1, h2, 45 + T)
    # Broadcasts of both sides were made, so their absence across means something.
    for h, port in ((h1, "p1"), (h2, "p2")):
        wire.wait_json(lambda p: p.get("port") == port and p.get("to") == h.subnet + ".255", T,
                       "a broadcast of %s" % h.name)

    packets = wire.json_lines()
    broadcasts = [p for p in packets if p["port"].startswith("r") and p["to"].endswith(".255")]
    expect(broadcasts == [], "broadcasts crossed the router: %r" % broadcasts[:3])

    # What each host sent towards the router, as it left the host (the router
    # drops what goes to addresses where nobody answers its ARP).
    def towards_router(h):
        return [p for p in packets if p["port"] == "p%d" % h.index and p["from"] == h.address and
                not p["to"].startswith(h.subnet + ".")]
    from2 = towards_router(h2)
    expect(from2 and all(p["to"] == h1.address for p in from2),
           "host2 sent across elsewhere: %r" % [p for p in from2 if p["to"] != h1.address][:3])
    from1 = towards_router(h1)
    expect(all(p["to"].startswith(h2.subnet + ".") and p["to"] != h2.subnet + ".0" for p in from1),
           "host1 sent outside the listed network: %r" % from1[:3])
    # Each request went once to each address, spread over time.
    sweeps = {}
    for p in from1:
        if p.get("fields", [None])[0] == "WHO_IS_HERE":
            sweeps.setdefault(p["prefix"], []).append(p)
    expect(sweeps, "no request of host1 crossed")
    for prefix, sweep in sweeps.items():
        targets = [p["to"] for p in sweep]
        expect(len(targets) == len(set(targets)) <= 254, "request %s went %d times to %d addresses" %
               (prefix, len(targets), len(set(targets))))
    biggest = max(sweeps.values(), key=len)
    expect(len(biggest) >= 200, "no sweep of the listed network: %d" % len(biggest))
    took = biggest[-1]["time"] - biggest[0]["time"]
    expect(took >= 0.7, "%d requests within %.2f s" % (len(biggest), took))
    times = sorted(p["time"] for p in from1)
    busiest = max(sum(1 for t in times[i:] if t - start < 1.0) for i, start in enumerate(times))
    expect(busiest <= 300, "host1 sent %d datagrams across within one second" % busiest)
    expect(c1.running() and c2.running(), "a copy ended:%s%s" % (c1.tail(), c2.tail()))
