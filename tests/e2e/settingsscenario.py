"""The settings scenario: a copy that starts with stored settings takes them
at its first showing, here the automatic answer with its text and alias."""

import os

SETTINGS = """[TMainForm]
FormVersion=0
CheckBox6_Checked=True
AliasEdit_Text=  Away Anna
CheckBox1_Checked=False

[TMainForm.RichEdit1_Lines]
Count=2
Item0=Back at two.
Item1=Call 42 if it burns.
"""


def write_settings(host, executable, text=SETTINGS):
    """settings.ini with text where a copy of this executable looks for it on host."""
    folder = os.path.join(host.config, os.path.splitext(os.path.basename(executable))[0])
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "settings.ini"), "w", encoding="utf-8") as f:
        f.write(text)


def scenario_stored_auto_answer(b, tools, s):
    """Host 1's stored settings have the automatic answer on: once shown, its
    copy answers a message from corvane-send on host 2 with the stored text,
    under the stored alias trimmed."""
    h1, h2 = b.host(1), b.host(2)
    write_settings(h1, tools.corvane)
    c1 = s.start_copy(b, tools, 1)
    s.show_copy(b, tools, 1, c1)
    records = b.start(2, [tools.peer, "listen-records", "--json", "--count", "1", "--timeout", "120"],
                      "listen-records")
    records.wait_line(r"^corvane-peer: listening on", s.T, "stderr")
    sent = b.run(2, [tools.send, h1.computer, "Are you there?"], "send", timeout=s.T)
    s.expect(sent.popen.returncode == 0, "corvane-send to host1 failed:%s" % sent.tail())
    s.expect(records.wait_exit(s.T) == 0, "no automatic answer reached host2:%s" % c1.tail())
    (answer,) = records.json_lines()
    s.expect(answer["sender"] == "Away Anna" and answer["alias"] == "Away Anna",
             "the answer is not under the stored alias: %r" % answer)
    s.expect("Back at two." in answer["body"] and "Call 42 if it burns." in answer["body"],
             "the answer does not carry the stored text: %r" % answer["body"])
    s.expect(answer["from"] == h1.address, "the answer came from elsewhere: %r" % answer)
    s.expect(c1.running(), "host1's copy ended:%s" % c1.tail())
