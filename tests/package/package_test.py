#!/usr/bin/env python3
"""Checks of the Debian package and of the manual pages.

  package_test.py package BUILD_DIR [CPACK]
      Makes the package from the build tree (no second build), then: lintian
      finds no error, it holds every file an installed copy needs, its menu,
      session start and AppStream entries validate, apt can install it, and
      the unpacked program prints its version.
  package_test.py manpages MAN_DIR PROGRAM...
      Every option a program's --help names (and, for a program with
      commands, each command's --help) is in its manual page.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

# Paths in the package, each with what it is for.
EXPECTED = [
    ("usr/bin/corvane", "the messenger"),
    ("usr/bin/corvane-send", "tool"),
    ("usr/bin/corvane-peer", "tool"),
    ("usr/bin/corvane-rtf", "tool"),
    ("usr/share/applications/corvane.desktop", "menu entry"),
    ("etc/xdg/autostart/corvane.desktop", "session start entry"),
    ("usr/share/icons/hicolor/scalable/apps/corvane.svg", "icon"),
    ("usr/share/icons/hicolor/48x48/apps/corvane.png", "icon"),
    # The program looks for its sounds in <prefix>/share/corvane/sounds.
    ("usr/share/corvane/sounds/Message.Wav", "sound"),
    ("usr/share/corvane/sounds/ChatBeep.Wav", "sound"),
    ("usr/share/man/man1/corvane.1.gz", "manual page"),
    ("usr/share/man/man1/corvane-send.1.gz", "manual page"),
    ("usr/share/man/man1/corvane-peer.1.gz", "manual page"),
    ("usr/share/man/man1/corvane-rtf.1.gz", "manual page"),
    ("usr/share/doc/corvane/copyright", "licence"),
    ("usr/share/doc/corvane/changelog.gz", "changelog"),
]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=240, **kw)


def package(build_dir, cpack):
    with tempfile.TemporaryDirectory(prefix="corvane-package-") as tmp:
        made = run([cpack, "--config", os.path.join(build_dir, "CPackConfig.cmake"), "-B", tmp])
        debs = glob.glob(os.path.join(tmp, "corvane_*.deb"))
        check(made.returncode == 0 and len(debs) == 1, "cpack makes one package:\n" + made.stdout + made.stderr)
        if failures:
            return
        deb = debs[0]
        fields = run(["dpkg-deb", "-f", deb, "Package", "Version", "Depends"]).stdout
        check("Package: corvane\n" in fields, "package name corvane: " + fields)
        check(re.search(r"^Version: 3\.0\.\d+$", fields, re.M), "version 3.0.x: " + fields)
        check(re.search(r"^Depends: .*libqt6widgets6", fields, re.M), "dependencies from the binaries: " + fields)
        check(re.search(r"^Depends: .*libqt6sql6-sqlite", fields, re.M), "the SQLite driver plugin: " + fields)

        lint = run(["lintian", "--fail-on", "error", deb])
        check(lint.returncode == 0, "lintian reports no error:\n" + lint.stdout + lint.stderr)

        root = os.path.join(tmp, "root")
        check(run(["dpkg-deb", "-x", deb, root]).returncode == 0, "dpkg-deb -x")
        for path, what in EXPECTED:
            check(os.path.isfile(os.path.join(root, path)), f"{what} {path} in the package")
        metainfo = glob.glob(os.path.join(root, "usr/share/metainfo/*.metainfo.xml"))
        check(len(metainfo) == 1, "one AppStream metainfo file")
        for entry in ("usr/share/applications/corvane.desktop", "etc/xdg/autostart/corvane.desktop"):
            valid = run(["desktop-file-validate", os.path.join(root, entry)])
            check(valid.returncode == 0 and not valid.stdout.strip(), f"{entry} validates:\n{valid.stdout}")
        for path in metainfo:
            valid = run(["appstreamcli", "validate", "--no-net", path])
            check(valid.returncode == 0, "metainfo validates:\n" + valid.stdout + valid.stderr)
        with open(os.path.join(root, "etc/xdg/autostart/corvane.desktop"), encoding="utf-8") as f:
            check(re.search(r"^Exec=.*\bcorvane --tray\b", f.read(), re.M), "the session starts corvane --tray")

        simulated = run(["apt-get", "install", "--simulate", "-q", deb])
        check(simulated.returncode == 0 and "Inst corvane" in simulated.stdout,
              "apt-get install --simulate resolves:\n" + simulated.stdout + simulated.stderr)

        version = run([os.path.join(root, "usr/bin/corvane"), "--version"], stdin=subprocess.DEVNULL)
        check(version.returncode == 0 and version.stdout.startswith("Corvane 3.0"),
              "the packaged program prints its version: " + version.stdout + version.stderr)


def options_of(help_text):
    """The options of the lines that describe one ("  -h, --help  ...")."""
    found = set()
    for line in help_text.splitlines():
        m = re.match(r"\s+((?:-\w,\s+)?--[a-z][\w-]*)", line)
        if m:
            found.update(re.findall(r"--[a-z][\w-]*|(?<!-)-\w\b", m.group(1)))
    return found


def manpages(man_dir, programs):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for program in programs:
        name = os.path.basename(program)
        with open(os.path.join(man_dir, name + ".1"), encoding="utf-8") as f:
            page = f.read()
        helps = [[]]
        main_help = run([program, "--help"], env=env).stdout
        # A program with commands lists them under "Commands:".
        commands = re.findall(r"^  ([a-z][\w-]*)\s{2,}", main_help.split("Commands:")[1], re.M) \
            if "Commands:" in main_help else []
        helps += [[c] for c in commands]
        for command in commands:
            check(re.search(r"^\.SS " + re.escape(command.replace("-", "\\-")) + r"\b", page, re.M),
                  f"{name}.1 has a section for the command {command}")
        for args in helps:
            text = run([program, *args, "--help"], env=env).stdout
            check(text.strip() != "", f"{name} {' '.join(args)} --help prints its help")
            for option in sorted(options_of(text)):
                check(option.replace("-", "\\-") in page, f"{name}.1 names {' '.join(args)} {option}")


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else ""
    if mode == "package" and len(sys.argv) in (3, 4):
        package(sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else "cpack")
    elif mode == "manpages" and len(sys.argv) > 3:
        manpages(sys.argv[2], sys.argv[3:])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
