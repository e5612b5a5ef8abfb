"""The chat scenario: two real copies in real windows, each on an X server of
its own inside its host, driven with xdotool as a person would, and
corvane-peer playing a third member; every datagram is checked on the wire.
"""

import os
import shutil
import signal

import bed

CHAT = "CHATSLOT3"
PRESENCE = "CORVANE3"


class Display:
    """An X server (Xvfb) inside host n's namespace, and xdotool on it; as a
    context manager, closed at the end of the block."""

    def __init__(self, b, n, failure):
        self.b, self.n, self.failure = b, n, failure
        self._tool("Xvfb")
        self.have_xdotool = False
        for number in range(420, 520):
            if self._free(number):
                break
        else:
            raise failure("no free X display number")
        self.number = number
        self.name = ":%d" % number
        self.proc = b.start(n, ["Xvfb", self.name, "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
                            "xvfb")
        bed.wait_until(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number) or not self.proc.running(),
                       20, what="the X server of host%d" % n)
        if not self.proc.running():
            raise failure("Xvfb on host%d ended:%s" % (n, self.proc.tail()))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _tool(self, name):
        if shutil.which(name) is None:
            raise self.failure("'%s' is not installed (scripts/setup.sh installs it)" % name)

    @staticmethod
    def _files(number):
        return "/tmp/.X%d-lock" % number, "/tmp/.X11-unix/X%d" % number

    @classmethod
    def _free(cls, number):
        """Whether no X server holds the number; what a dead one left goes."""
        lock, sock = cls._files(number)
        try:
            with open(lock) as f:
                pid = int(f.read().strip() or 0)
            if pid > 0 and os.path.exists("/proc/%d" % pid):
                return False
        except FileNotFoundError:
            pass
        except ValueError:
            return False  # being written by a server that is starting
        for path in (lock, sock):
            try:
                os.unlink(path)
            except FileNotFoundError:
                pass
        return True

    def close(self):
        """Ends the X server so that it removes its lock and socket."""
        self.proc.signal(signal.SIGTERM)
        try:
            self.proc.wait_exit(10)
        except bed.BedError:
            self.proc.stop()
        self._free(self.number)

    def env(self):
        return {"QT_QPA_PLATFORM": "xcb", "DISPLAY": self.name}

    def xdotool(self, *args, timeout=20):
        if not self.have_xdotool:
            self._tool("xdotool")
            self.have_xdotool = True
        p = self.b.run(self.n, ["xdotool"] + list(args), "xdotool", timeout=timeout,
                       env={"DISPLAY": self.name})
        if p.popen.returncode != 0:
            raise self.failure("xdotool %s on host%d failed:%s" % (" ".join(args), self.n, p.tail()))
        return p.output("stdout").split()

    def window(self, title):
        """The visible window with exactly this title, focused."""
        found = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^%s$" % title)
        self.xdotool("windowfocus", "--sync", found[0])
        return found[0]

    def click_chat(self, main):
        """The main window's "Cha&t", second button of the bottom panel."""
        shape = dict(kv.split("=", 1) for kv in self.xdotool("getwindowgeometry", "--shell", main))
        height = int(shape["HEIGHT"])
        self.xdotool("mousemove", "--window", main, "133", str(height - 21), "click", "1")

    def type_line(self, text):
        self.xdotool("type", "--delay", "20", text)
        self.xdotool("key", "Return")

    def saved_room(self, host, timeout):
        """The chat room's text as File, Save To File... writes it."""
        saved = os.path.join(host.work, "room.rtf")
        self.window("Chat")
        self.xdotool("key", "alt+f", "s")
        self.window("Save Messages to File")
        self.type_line(saved)
        bed.wait_until(lambda: os.path.exists(saved), timeout, what="the saved room text")
        return open(saved, "rb").read()


def scenario_chat(b, tools, helpers):
    """Two copies open the chat room in real windows and corvane-peer joins as
    a third member: every arrival, list answer and line goes where it
    should; the first copy beeps the second and opens a private chat that
    runs both ways over its own slot; the room's text saved to a file holds
    every line; and when the second copy ends (SIGTERM) its private chat and
    its room say goodbye before its presence departure."""
    with Display(b, 1, helpers.Failure) as x1, Display(b, 2, helpers.Failure) as x2:
        _chat(b, tools, helpers, x1, x2)


def _chat(b, tools, helpers, x1, x2):
    expect, T = helpers.expect, helpers.T
    h1, h2, h3 = b.host(1), b.host(2), b.host(3)
    c1n, c2n, peer = h1.computer, h2.computer, "PEER"
    wire = b.sniff()
    l3 = helpers.listen(b, tools, 3, "listen3", slot=CHAT)
    c1 = helpers.start_copy(b, tools, 1, env=x1.env())
    c2 = helpers.start_copy(b, tools, 2, env=x2.env())
    helpers.show_copy(b, tools, 1, c1)
    helpers.show_copy(b, tools, 2, c2)

    def chat(fields=None, first=None, sender=None, target=None, slot=CHAT):
        return lambda p: (p.get("slot") == slot and p.get("checksum") == "ok" and
                          helpers.is_packet(p, sender=sender, target=target, fields=fields, first=first))

    # Host 1 opens the room, then host 2: arrival and list request to all;
    # host 1 (its own entry first) answers host 2 with its whole list.
    x1.click_chat(x1.window("Corvane 3.0"))
    wire.wait_json(chat(["ChatUserConnected", c1n, c1n], target="*"), T, "host1's arrival")
    wire.wait_json(chat(["ChatGetUsersList", c1n, c1n], target="*"), T, "host1's list request")
    x2.click_chat(x2.window("Corvane 3.0"))
    wire.wait_json(chat(["ChatGetUsersList", c2n, c2n], target="*"), T, "host2's list request")
    for nick in (c1n, c2n):
        got = wire.wait_json(chat(["ChatGetUserName", nick, nick], sender=c1n, target=c2n), T,
                             "host1's answer naming %s" % nick)
        expect((got["from"], got["to"]) == (h1.address, h2.address), "answer went %r" % got)

    # The peer joins: both rooms list it and both answer its request.
    helpers.peer_send(b, tools, 3, ["*", CHAT, "ChatUserConnected", peer, h3.computer], "peer-arrives")
    helpers.peer_send(b, tools, 3, ["*", CHAT, "ChatGetUsersList", peer, h3.computer], "peer-asks")
    for answering, order in ((c1n, (c1n, c2n, peer)), (c2n, (c2n, c1n, peer))):
        got = l3.wait_count(chat(first="ChatGetUserName", sender=answering, target=h3.computer), 3, T,
                            "%s's list for the peer" % answering)
        expect([p["fields"][1] for p in got] == list(order), "%s lists %r" % (answering, got))

    # Lines: typed in host 2's window, sent by the peer.
    x2.window("Chat")
    x2.type_line("hello from two")
    l3.wait_json(chat(["ChatUserMessageSent", c2n, "hello from two"], sender=c2n, target="*"), T,
                 "host2's line")
    helpers.peer_send(b, tools, 3, ["*", CHAT, "ChatUserMessageSent", peer, "hi from the peer"], "peer-line")

    # Host 1 selects host 2 in its list, beeps it (Ctrl+G) and asks for a
    # private chat (File, Private chat).
    x1.window("Chat")
    x1.xdotool("key", "Tab", "Tab", "Home", "Down", "ctrl+g")
    wire.wait_json(chat(["ChatBeepUser"], sender=c1n, target=c2n), T, "host1's beep to host2")
    x1.xdotool("key", "alt+f", "p")
    request = wire.wait_json(chat(first="ChatRequestToPrivate", sender=c1n, target=c2n), T,
                             "host1's private chat request")
    expect(request["fields"][1:3] == [c1n, c1n] and request["fields"][3].isdigit() and
           int(request["fields"][3]) < 2000000, "request %r" % request["fields"])
    slot = request["fields"][3]
    x1.window(r"Private Chat \(%s,%s\)" % (c1n, c2n))
    x1.type_line("psst")
    wire.wait_json(chat(["ChatUserMessageSent", c1n, "psst"], sender=c1n, target=c2n, slot=slot), T,
                   "host1's private line")
    x2.window(r"Private Chat \(%s,%s\)" % (c2n, c1n))
    x2.type_line("psst back")
    wire.wait_json(chat(["ChatUserMessageSent", c2n, "psst back"], sender=c2n, target=c1n, slot=slot), T,
                   "host2's private line")

    # The room's text, saved by host 1 (File, Save To File...), holds every
    # room line; the private lines are not in it.
    text = x1.saved_room(h1, T)
    expect(text.startswith(b"{\\rtf1"), "not rich text: %r" % text[:40])
    for line in (b'USER \\"HOST2\\" HAS ENTERED', b"HOST2> hello from two", b"PEER> hi from the peer"):
        expect(line.replace(b'\\"', b'"') in text, "the saved text lacks %r: %r" % (line, text))
    expect(b"psst" not in text, "a private line went into the room: %r" % text)

    # Host 2 ends: its private chat and its room say goodbye, then presence.
    c2.signal(signal.SIGTERM)
    expect(c2.wait_exit(T) == 0, "host2's copy did not end with 0:%s" % c2.tail())
    bye_private = wire.wait_json(chat(["ChatUserDisconnected", c2n], sender=c2n, target=c1n, slot=slot), T,
                                 "host2's private goodbye")
    bye_room = wire.wait_json(chat(["ChatUserDisconnected", c2n], sender=c2n, target="*"), T,
                              "host2's goodbye to the room")
    offline = wire.wait_json(lambda p: helpers.is_packet(p, sender=c2n, first="OFFLINE_NOTIFY"), T,
                             "host2's presence departure")
    expect(bye_private["time"] <= bye_room["time"] <= offline["time"],
           "goodbyes out of order: %r" % [bye_private, bye_room, offline])

    # Host 1 no longer lists host 2.
    helpers.peer_send(b, tools, 3, [c1n, CHAT, "ChatGetUsersList", "PEER2", h3.computer], "peer-asks-again")
    got = l3.wait_count(chat(first="ChatGetUserName", sender=c1n, target=h3.computer), 5, T,
                        "host1's second list for the peer")
    expect([p["fields"][1] for p in got[3:]] == [c1n, peer], "host1 lists %r" % got[3:])
    expect(c1.running(), "host1's copy ended:%s" % c1.tail())
