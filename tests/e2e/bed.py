"""A test bed of several hosts on one machine, made of network namespaces.

Each host is a network namespace with its own hostname (every process started
there gets a UTS namespace of its own with that name), one address in
198.18.0.0/15 on a bridge that lives in a namespace of its own (so the bridge
has no route anywhere else), loopback up, and its own HOME, XDG directories and
working directory. /etc/hosts inside the hosts lists every host, as a LAN's name
service would (each also under a second name, hostN-alt).

A routed bed puts the later hosts on a second subnet, 198.18.1.0/24, on a
bridge of its own, joined to the first by a router namespace (198.18.0.254 and
198.18.1.254) that forwards unicast and, as routers do, no broadcast.

Everything the bed makes is removed by close(): the processes it started, the
namespaces (which takes their veth pairs and the bridge along), the hosts
files and the directories. Processes are also tied to the bed's life
(PR_SET_PDEATHSIG), and a bed removes what an earlier bed left behind when its
owner process is gone.

Standard library only.
"""

import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

NETNS_PREFIX = "cve2e-"
WORKDIR_PREFIX = "corvane-e2e-"  # in the temporary directory, with the owner's pid
ETC_NETNS = "/etc/netns"
SUBNET = "198.18.0"  # hosts are SUBNET.1 .. SUBNET.N, /24 on the bed's bridge
SECOND_SUBNET = "198.18.1"  # hosts of a routed bed's second bridge
ROUTER = 254  # the router's last byte on either subnet
SKIP = 77  # CTest's SKIP_RETURN_CODE for the scenarios


class Skip(Exception):
    """The machine cannot carry the bed (not root, no namespaces)."""


class BedError(Exception):
    pass


def _run(argv, check=True, timeout=20, **kw):
    p = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                       timeout=timeout, **kw)
    if check and p.returncode != 0:
        raise BedError("%s failed (%d): %s" % (" ".join(argv), p.returncode, p.stderr.strip()))
    return p


def _pid_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def _die_with_parent():
    # Runs in the child between fork and exec: SIGKILL when the bed's process
    # dies, whatever way it dies. Survives the exec chain (ip, unshare, sh).
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL, 0, 0, 0)  # PR_SET_PDEATHSIG


def _netns_list():
    p = _run(["ip", "netns", "list"], check=False)
    return [line.split()[0] for line in p.stdout.splitlines() if line.strip()]


def _kill_netns_pids(ns):
    p = _run(["ip", "netns", "pids", ns], check=False)
    for word in p.stdout.split():
        try:
            os.kill(int(word), signal.SIGKILL)
        except (ValueError, ProcessLookupError):
            pass


def _remove_netns(ns):
    _kill_netns_pids(ns)
    _run(["ip", "netns", "del", ns], check=False)
    shutil.rmtree(os.path.join(ETC_NETNS, ns), ignore_errors=True)


def _stale(name):
    m = re.match(re.escape(NETNS_PREFIX) + r"(\d+)-", name)
    return m is not None and not _pid_alive(int(m.group(1)))


def sweep_stale():
    """Removes namespaces and hosts files of earlier beds whose owner process
    is gone (killed before it could clean up)."""
    removed = False
    for ns in _netns_list():
        if _stale(ns):
            _remove_netns(ns)
            removed = True
    if os.path.isdir(ETC_NETNS):
        for name in os.listdir(ETC_NETNS):
            if _stale(name):
                shutil.rmtree(os.path.join(ETC_NETNS, name), ignore_errors=True)
                removed = True
    tmp = tempfile.gettempdir()
    for name in os.listdir(tmp):
        path = os.path.join(tmp, name)
        if (name.startswith(WORKDIR_PREFIX) and _stale(NETNS_PREFIX + name[len(WORKDIR_PREFIX):])
                and not os.path.exists(os.path.join(path, "KEEP"))):
            shutil.rmtree(path, ignore_errors=True)
    if removed:
        try:
            os.rmdir(ETC_NETNS)  # made by that bed; only when empty
        except OSError:
            pass


# Sets the hostname of the process's own UTS namespace and becomes the
# program. Any name the kernel takes (also one "hostname" refuses, such as a
# Cyrillic one); the exec keeps the process id and the death signal.
_TRAMPOLINE = "import os, socket, sys; socket.sethostname(sys.argv[1]); os.execvp(sys.argv[2], sys.argv[2:])"


def _named(hostname, argv):
    return [sys.executable, "-c", _TRAMPOLINE, hostname] + list(argv)


def check_can_run():
    """Raises Skip with the reason when the bed cannot be built here."""
    if os.geteuid() != 0:
        raise Skip("needs root for network namespaces (running as uid %d)" % os.geteuid())
    for tool in ("ip", "unshare", "ss"):
        if shutil.which(tool) is None:
            raise Skip("'%s' is not installed (scripts/setup.sh installs it)" % tool)
    probe = "%s%d-probe" % (NETNS_PREFIX, os.getpid())
    p = _run(["ip", "netns", "add", probe], check=False)
    if p.returncode != 0:
        raise Skip("network namespaces are not available: %s" % p.stderr.strip())
    try:
        q = _run(["ip", "netns", "exec", probe, "unshare", "--uts", "--"] + _named("probe", ["true"]),
                 check=False)
        if q.returncode != 0:
            raise Skip("UTS namespaces are not available: %s" % q.stderr.strip())
    finally:
        _remove_netns(probe)


class Proc:
    """One process on a host, with its output collected line by line."""

    def __init__(self, bed, host, label, argv, env, cwd):
        self.host = host
        self.label = label
        self.argv = argv
        self._cond = threading.Condition()
        self.lines = {"stdout": [], "stderr": []}
        self._closed = {"stdout": False, "stderr": False}
        logdir = os.path.join(bed.workdir, "logs")
        os.makedirs(logdir, exist_ok=True)
        self.logpath = os.path.join(logdir, "%s-%s" % (host.name, label))
        full = ["ip", "netns", "exec", host.ns, "unshare", "--uts", "--"] + _named(host.hostname, argv)
        self.popen = subprocess.Popen(full, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, env=env, cwd=cwd,
                                      start_new_session=True, preexec_fn=_die_with_parent)
        self.pid = self.popen.pid
        self._threads = [threading.Thread(target=self._pump, args=(s,), daemon=True)
                         for s in ("stdout", "stderr")]
        for t in self._threads:
            t.start()

    def _pump(self, stream):
        f = getattr(self.popen, stream)
        with open("%s.%s" % (self.logpath, stream), "wb") as log:
            for raw in iter(f.readline, b""):
                log.write(raw)
                log.flush()
                line = raw.decode("utf-8", "replace").rstrip("\n")
                with self._cond:
                    self.lines[stream].append(line)
                    self._cond.notify_all()
        with self._cond:
            self._closed[stream] = True
            self._cond.notify_all()

    def wait_for(self, predicate, timeout, stream="stdout", what="a line"):
        """Waits for a line (str) that predicate accepts; returns it."""
        deadline = time.monotonic() + timeout
        seen = 0
        with self._cond:
            while True:
                lines = self.lines[stream]
                for line in lines[seen:]:
                    if predicate(line):
                        return line
                seen = len(lines)
                if self._closed[stream]:
                    raise BedError("%s on %s ended its %s without %s" %
                                   (self.label, self.host.name, stream, what) + self.tail())
                left = deadline - time.monotonic()
                if left <= 0:
                    raise BedError("%s on %s: no %s within %.0f s" %
                                   (self.label, self.host.name, what, timeout) + self.tail())
                self._cond.wait(left)

    def wait_line(self, pattern, timeout, stream="stdout"):
        rx = re.compile(pattern)
        return self.wait_for(lambda l: rx.search(l) is not None, timeout, stream,
                             "a line matching %r" % pattern)

    def json_lines(self):
        with self._cond:
            out = []
            for line in self.lines["stdout"]:
                try:
                    out.append(json.loads(line))
                except ValueError:
                    pass
            return out

    def wait_json(self, predicate, timeout, what="a matching packet"):
        def accept(line):
            try:
                return predicate(json.loads(line))
            except ValueError:
                return False
        return json.loads(self.wait_for(accept, timeout, "stdout", what))

    def wait_count(self, predicate, n, timeout, what="packets"):
        """Waits until at least n JSON lines satisfy predicate; returns them."""
        def enough(_line):
            return len([p for p in self.json_lines() if predicate(p)]) >= n
        if not enough(None):
            self.wait_for(enough, timeout, "stdout", "%d %s" % (n, what))
        return [p for p in self.json_lines() if predicate(p)]

    def wait_exit(self, timeout):
        try:
            rc = self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise BedError("%s on %s still runs after %.0f s" %
                           (self.label, self.host.name, timeout) + self.tail())
        for t in self._threads:
            t.join(5)
        return rc

    def running(self):
        return self.popen.poll() is None

    def signal(self, sig):
        if self.running():
            self.popen.send_signal(sig)

    def stop(self):
        """Ends the process (SIGKILL to its own session) if it still runs."""
        if self.running():
            try:
                os.killpg(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            self.popen.wait(10)
        except subprocess.TimeoutExpired:
            pass
        for t in self._threads:
            t.join(2)

    def output(self, stream="stderr"):
        with self._cond:
            return "\n".join(self.lines[stream])

    def tail(self, n=15):
        with self._cond:
            parts = []
            for stream in ("stdout", "stderr"):
                lines = self.lines[stream][-n:]
                if lines:
                    parts.append("\n  --- %s of %s:\n  " % (stream, self.label) + "\n  ".join(lines))
            return "".join(parts)


class Host:
    def __init__(self, bed, index, hostname=None, subnet=SUBNET):
        self.index = index
        self.name = "host%d" % index  # for logs and directories
        self.hostname = hostname or self.name
        self.computer = self.hostname.upper()  # what the program calls itself
        self.alt_name = self.computer + "-ALT"  # resolves to the same address
        self.subnet = subnet
        self.address = "%s.%d" % (subnet, index)
        self.bridge = "br0" if subnet == SUBNET else "br1"
        self.ns = "%s%d-h%d" % (NETNS_PREFIX, bed.owner, index)
        self.root = os.path.join(bed.workdir, self.name)
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        self.runtime = os.path.join(self.root, "runtime")
        self.work = os.path.join(self.root, "work")
        self.tmp = os.path.join(self.root, "tmp")

    def lookup_names(self):
        names = []
        for name in (self.hostname, self.alt_name):
            names.append(name.lower())
            if not name.isascii():
                names.append(name.encode("idna").decode("ascii"))
        return names

    def env(self, extra=None):
        env = {
            "PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "TMPDIR": self.tmp,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "offscreen",
            "QT_LOGGING_RULES": "qt.qpa.*=false",
        }
        if extra:
            env.update(extra)
        # A value of None takes the variable away.
        return {k: v for k, v in env.items() if v is not None}


class _Bridge:
    """The bridge's namespace, for programs that watch the wire."""

    def __init__(self, bed):
        self.name = self.hostname = "bridge"
        self.ns = bed.bridge_ns

    def env(self):
        return {"PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin", "LANG": "C.UTF-8"}


class Bed:
    """N hosts on one bridge. Use as a context manager; close() removes all."""

    def __init__(self, hosts, keep=False, hostnames=None, routed_from=None):
        """hostnames: the hosts' names (default host1, host2, ...);
        routed_from: the first host on the second, routed subnet (none: one subnet)."""
        if not 1 <= hosts <= 200:
            raise ValueError("1 to 200 hosts")
        if routed_from is not None and not 2 <= routed_from <= hosts:
            raise ValueError("the second subnet starts at host 2 to %d" % hosts)
        self.owner = os.getpid()
        self.keep = keep
        self.workdir = tempfile.mkdtemp(prefix="%s%d-" % (WORKDIR_PREFIX, self.owner))
        self.bridge_ns = "%s%d-br" % (NETNS_PREFIX, self.owner)
        self.router_ns = "%s%d-rt" % (NETNS_PREFIX, self.owner) if routed_from else None
        names = list(hostnames or [])
        self.hosts = [Host(self, i + 1, names[i] if i < len(names) else None,
                           SECOND_SUBNET if routed_from and i + 1 >= routed_from else SUBNET)
                      for i in range(hosts)]
        self.procs = []
        self._made_ns = []
        self._made_etc = []
        self._made_etc_root = False

    def __enter__(self):
        try:
            self._build()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def host(self, n):
        return self.hosts[n - 1]

    def _add_ns(self, ns):
        _run(["ip", "netns", "add", ns])
        self._made_ns.append(ns)

    def _build(self):
        sweep_stale()
        self._made_etc_root = not os.path.isdir(ETC_NETNS)
        self._add_ns(self.bridge_ns)
        br = ["ip", "-n", self.bridge_ns]
        for bridge in ("br0", "br1") if self.router_ns else ("br0",):
            _run(br + ["link", "add", bridge, "type", "bridge"])
            _run(br + ["link", "set", bridge, "up"])
        # Each host has a second name, hostN-alt, so that a test can tell
        # two answers to the same host apart.
        # Resolvers look up a name that is not ASCII in its IDNA form.
        hosts_file = "127.0.0.1\tlocalhost\n" + "".join(
            "%s\t%s\n" % (h.address, " ".join(h.lookup_names())) for h in self.hosts)
        for h in self.hosts:
            self._add_ns(h.ns)
            port = "p%d" % h.index
            _run(["ip", "-n", h.ns, "link", "add", "eth0", "type", "veth", "peer", "name", port,
                  "netns", self.bridge_ns])
            _run(br + ["link", "set", port, "master", h.bridge])
            _run(br + ["link", "set", port, "up"])
            hn = ["ip", "-n", h.ns]
            _run(hn + ["link", "set", "lo", "up"])
            _run(hn + ["addr", "add", "%s/24" % h.address, "broadcast", "%s.255" % h.subnet,
                       "dev", "eth0"])
            _run(hn + ["link", "set", "eth0", "up"])
            if self.router_ns:
                other = SECOND_SUBNET if h.subnet == SUBNET else SUBNET
                _run(hn + ["route", "add", "%s.0/24" % other, "via", "%s.%d" % (h.subnet, ROUTER)])
            etc = os.path.join(ETC_NETNS, h.ns)
            os.makedirs(etc, exist_ok=True)
            self._made_etc.append(etc)
            with open(os.path.join(etc, "hosts"), "w") as f:
                f.write(hosts_file)
            # Names the hosts file does not know fail at once, inside the host.
            with open(os.path.join(etc, "resolv.conf"), "w") as f:
                f.write("nameserver 127.0.0.1\noptions timeout:1 attempts:1\n")
            for d in (h.home, h.config, h.work, h.tmp):
                os.makedirs(d, exist_ok=True)
            os.makedirs(h.runtime, mode=0o700, exist_ok=True)
            os.chmod(h.runtime, 0o700)
        if self.router_ns:
            self._build_router()
        # Links come up asynchronously; wait until every host's eth0 carries
        # its address and is up, so the first broadcast is not lost.
        for h in self.hosts:
            self._wait_link_up(h.ns, "eth0")

    def _build_router(self):
        """The router between the two bridges: ports r0 and r1 on them, its
        own eth0 and eth1 with address .254 on either subnet. It forwards
        unicast; the kernel forwards no broadcast (bc_forwarding is off)."""
        self._add_ns(self.router_ns)
        rt = ["ip", "-n", self.router_ns]
        br = ["ip", "-n", self.bridge_ns]
        _run(rt + ["link", "set", "lo", "up"])
        for i, subnet in enumerate((SUBNET, SECOND_SUBNET)):
            dev, port = "eth%d" % i, "r%d" % i
            _run(rt + ["link", "add", dev, "type", "veth", "peer", "name", port, "netns", self.bridge_ns])
            _run(br + ["link", "set", port, "master", "br%d" % i])
            _run(br + ["link", "set", port, "up"])
            _run(rt + ["addr", "add", "%s.%d/24" % (subnet, ROUTER), "broadcast", "%s.255" % subnet,
                       "dev", dev])
            _run(rt + ["link", "set", dev, "up"])
        for key, value in (("net/ipv4/ip_forward", "1"), ("net/ipv4/conf/all/bc_forwarding", "0")):
            _run(["ip", "netns", "exec", self.router_ns, "sh", "-c",
                  "echo %s > /proc/sys/%s" % (value, key)])
        for dev in ("eth0", "eth1"):
            self._wait_link_up(self.router_ns, dev)

    def _wait_link_up(self, ns, dev, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            p = _run(["ip", "-n", ns, "-o", "link", "show", dev], check=False)
            if "LOWER_UP" in p.stdout and "state UP" in p.stdout:
                return
            if time.monotonic() > deadline:
                raise BedError("%s of %s did not come up: %s" % (dev, ns, p.stdout.strip()))
            time.sleep(0.05)

    def start(self, n, argv, label, env=None, cwd=None):
        h = self.host(n)
        proc = Proc(self, h, label, argv, h.env(env), cwd or h.work)
        self.procs.append(proc)
        return proc

    def sniff(self, label="sniff"):
        """Starts sniff.py on the bridge: every datagram packet between the
        hosts as a JSON line (also unicast ones no host listener gets)."""
        bridge = _Bridge(self)
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sniff.py")
        proc = Proc(self, bridge, label, [sys.executable, script], bridge.env(), self.workdir)
        self.procs.append(proc)
        proc.wait_line(r"^sniff: ready", 20, "stderr")
        return proc

    def run(self, n, argv, label, timeout=30, env=None):
        """Starts a process on host n and waits for its end."""
        proc = self.start(n, argv, label, env)
        proc.wait_exit(timeout)
        return proc

    def sockets(self, n, options="-uanm"):
        """What ss says about the sockets of host n (for failure messages)."""
        p = _run(["ip", "netns", "exec", self.host(n).ns, "ss", options], check=False)
        return " ".join(p.stdout.split())

    def close(self):
        for proc in self.procs:
            proc.stop()
        for ns in reversed(self._made_ns):
            _remove_netns(ns)
        self._made_ns = []
        for etc in self._made_etc:
            shutil.rmtree(etc, ignore_errors=True)
        self._made_etc = []
        if self._made_etc_root:
            try:
                os.rmdir(ETC_NETNS)  # only when empty: another bed may use it now
            except OSError:
                pass
        if self.keep:
            open(os.path.join(self.workdir, "KEEP"), "w").close()  # sweeps leave it
        else:
            shutil.rmtree(self.workdir, ignore_errors=True)


def wait_until(predicate, timeout, interval=0.05, what="a condition"):
    """For states that give no event to wait on (a file appearing): checks at
    an interval, bounded by the timeout."""
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            raise BedError("no %s within %.0f s" % (what, timeout))
        time.sleep(interval)
