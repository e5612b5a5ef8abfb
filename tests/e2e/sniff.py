#!/usr/bin/env python3
"""Watches the bed's bridge and prints every datagram packet between the hosts,
one JSON object per line, so a scenario can see unicast traffic between two
copies that no listener on a host would get.

Runs inside the bridge's namespace; sees each frame once as it enters a
bridge from the sending host (port "pN"), and once more as it enters the
other bridge from the router of a routed bed (port "r0" or "r1"). Decodes the
packet layout and the frame on its own (not with the program's code), so a
fault shared by sender and receiver still shows.

  sniff.py [--port 37139] [--timeout SECONDS]

Keys: time (seconds on the monotonic clock, when seen), port (where it entered),
from, to (addresses), target, sender, slot, checksum ("ok"/"bad"),
prefix, fields (Windows-1251 decoded), frame_bytes; packets with another magic
or a malformed header come as {"from", "to", "malformed": true, "bytes"}. A TCP
connection to the message port comes once, as {"from", "to", "time", "port",
"tcp": "connect"}.
"""

import argparse
import json
import select
import socket
import struct
import sys
import time

ETH_P_ALL = 0x0003
PACKET_OUTGOING = 4
MAGIC = b"CMS1"


def crc16_arc(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def encode_packet(target, sender, slot, payload, tick):
    """A packet as the program writes it: the header texts (bytes, each after
    its length), then the frame: the tick's four hex digits, the payload and
    the checksum of both in hex."""
    body = b"%04X" % (tick % 10000) + payload
    head = b"".join(bytes([len(t)]) + t for t in (target, sender, slot))
    return MAGIC + head + body + b"%04X" % crc16_arc(body)


def decode_packet(payload):
    if not payload.startswith(MAGIC):
        return None
    pos = len(MAGIC)
    texts = []
    for _ in range(3):
        if pos >= len(payload) or payload[pos] == 0 or pos + 1 + payload[pos] > len(payload):
            return None
        n = payload[pos]
        texts.append(payload[pos + 1:pos + 1 + n])
        pos += 1 + n
    frame = payload[pos:]
    covered = frame[:-4] if len(frame) >= 4 else b""
    checks = frame[len(covered):] == b"%04X" % crc16_arc(covered)
    body = frame[4:-4] if len(frame) > 8 else b""
    fields = [f.decode("cp1251", "replace") for f in body.split(b"\xa9") if f]
    target, sender, slot = (t.decode("cp1251", "replace") for t in texts)
    return {"target": target, "sender": sender, "slot": slot, "checksum": "ok" if checks else "bad",
            "prefix": frame[:4].decode("latin-1") if len(frame) >= 8 else "", "fields": fields,
            "frame_bytes": len(frame)}


def is_message_connection(ip, ihl, port):
    """The first packet of a TCP connection to the message port (SYN, no ACK)."""
    if ip[9] != 6 or len(ip) < ihl + 14:
        return False
    tcp = ip[ihl:]
    return struct.unpack("!H", tcp[2:4])[0] == port and tcp[13] & 0x12 == 0x02


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, default=37139)
    ap.add_argument("--timeout", type=float, default=600)
    args = ap.parse_args()
    s = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
    # Unbound, the socket gets the frames of every interface of this
    # namespace: the bridge's ports.
    print("sniff: ready", file=sys.stderr, flush=True)
    deadline = time.monotonic() + args.timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            return 0
        if not select.select([s], [], [], left)[0]:
            continue
        frame, addr = s.recvfrom(65600)
        ifname, pkttype = addr[0], addr[2]
        if pkttype == PACKET_OUTGOING or not ifname.startswith(("p", "r")):
            continue  # each frame once: as it enters a bridge from a host or the router
        if len(frame) < 14 + 20 + 8 or struct.unpack("!H", frame[12:14])[0] != 0x0800:
            continue
        ip = frame[14:]
        ihl = (ip[0] & 0x0F) * 4
        if is_message_connection(ip, ihl, args.port):
            print(json.dumps({"from": socket.inet_ntoa(ip[12:16]), "to": socket.inet_ntoa(ip[16:20]),
                              "time": round(time.monotonic(), 3), "port": ifname, "tcp": "connect"}),
                  flush=True)
            continue
        if ip[9] != 17 or len(ip) < ihl + 8:
            continue
        flags_fragment = struct.unpack("!H", ip[6:8])[0]
        if flags_fragment & 0x3FFF:
            continue  # a packet larger than a frame: not shown
        udp = ip[ihl:]
        dport = struct.unpack("!H", udp[2:4])[0]
        if dport != args.port:
            continue
        length = struct.unpack("!H", udp[4:6])[0]
        payload = bytes(udp[8:length])
        out = {"from": socket.inet_ntoa(ip[12:16]), "to": socket.inet_ntoa(ip[16:20]),
               "time": round(time.monotonic(), 3), "port": ifname}
        packet = decode_packet(payload)
        if packet is None:
            out.update({"malformed": True, "bytes": len(payload)})
        else:
            out.update(packet)
        print(json.dumps(out, ensure_ascii=False), flush=True)


if __name__ == "__main__":
    sys.exit(main())
