#!/usr/bin/env python3
"""Drives the bash completion of zorvak-pak through a real pty.

Each row types a command line, presses TAB, then puts "show " before what
the line became and presses Enter: show prints the words bash passes it, so
a row sees exactly what the completed line would run with, history
expansion and all. An archive holds names made to break out of quoting
(`touch PWNED`, $(pwn), ...; pwn is a program of the test's PATH that
makes PWNED): no file PWNED may ever appear.

Rows run in four sessions: with and without bash-completion's _filedir,
and with the tool as it is and behind a wrapper refusing "list --null", so
the completion's fallback reading of "list" is always run too.

Exit status 0 all passed, 1 a row failed, 77 bash (or bash-completion for
half the sessions) is missing.
"""

import argparse
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios

SKIP = 77
TIMEOUT = 10.0  # seconds for any one answer of the shell; a bound, not a measure

# The archive's names. Those the tool's plain "list" cannot tell apart from
# another name (control characters, a backslash before n) are only offered
# when "list --null" reads them.
NAMES = [
    b"progs.dat",
    b"sound/a.wav",
    b"maps/e1m1.bsp",
    b"maps/e1m2.bsp",
    b"maps/bq`touch PWNED`.bsp",
    b"maps/cs$(pwn).bsp",
    b"maps/if${IFS}x.bsp",
    b"maps/sp a1.bsp",
    b"maps/sp a2.bsp",
    b"maps/qt'\"q.bsp",
    b"maps/bs\\x.bsp",
    b"maps/bn\\n.bsp",
    b"maps/gl*?[.bsp",
    b"maps/nl\nx.bsp",
    b"maps/tb\tx.bsp",
    b"maps/es\x1b[31mx.bsp",
    b"maps/iv\xff\xfe.bsp",
    b"maps/u8caf\xc3\xa9 z.bsp",
    b"maps/hb!!x.bsp",
    b"maps/sc;pwn;.bsp",
    b"maps/co:lo=n.bsp",
    b"maps/dl$HOME.bsp",
    b"maps/ls b",
    b"maps/ls$(pwn)a",
    b"maps/bp`pwn`.bsp",
    b"~td.bsp",
    b"-Cout.bsp",
    b"gfx/Conback.lmp",
    b"gfx/colormap.lmp",
]



def name(prefix):
    """The one name of NAMES starting with prefix."""
    (found,) = [n for n in NAMES if n.startswith(prefix)]
    return found


SAME = object()  # the fallback gives what --null gives
TYPED = object()  # the fallback offers nothing: the words stay as typed
X = [b"extract", b"x.pak"]


def row(label, keys, words, fallback=SAME, shown=(), hidden=(), null_only=False):
    """keys are typed after "zorvak-pak "; words are then passed after it
    (fallback: those the plain list gives instead); a listing shows shown
    and none of hidden. A null_only row leaves a quote open when nothing
    completes, so it runs with --null only."""
    return dict(label=label, keys=keys, words=words, fallback=fallback, shown=shown,
                hidden=hidden, null_only=null_only)


ROWS = [
    # Ordinary use.
    row("a command", b"ext\t", [b"extract"]),
    row("an option", b"extract x.pak --no-c\t", X + [b"--no-clobber"]),
    row("render's name", b"ren\t", [b"render"]),
    row("--view's values, listed then one", b"render x.pak --view \t\ts\t",
        [b"render", b"x.pak", b"--view", b"side"], shown=[b"front", b"side", b"top", b"iso"],
        hidden=[b"sound/a.wav"]),
    row("an archive", b"list x.p\t", [b"list", b"x.pak"]),
    row("an archive with a space", b"list my\t", [b"list", b"my pak.pak"]),
    row("a directory for -C", b"extract x.pak -C ou\t", X + [b"-C", b"out dir/"]),
    row("mount's directory after its archive", b"mount x.pak ou\t",
        [b"mount", b"x.pak", b"out dir/"]),
    row("a plain entry", b"extract x.pak sound/a\t", X + [b"sound/a.wav"]),
    row("the second word of cat", b"cat x.pak pro\t", [b"cat", b"x.pak", b"progs.dat"]),
    row("render's entry after -o's file and the archive", b"render -o p.png x.pak sound/a\t",
        [b"render", b"-o", b"p.png", b"x.pak", b"sound/a.wav"]),
    row("a common prefix", b"extract x.pak maps/e1\t", X + [b"maps/e1m"]),
    row("the list below a prefix", b"extract x.pak maps/e1m\t\t", X + [b"maps/e1m"],
        shown=[b"maps/e1m1.bsp", b"maps/e1m2.bsp"]),
    row("every name but those like options", b"extract x.pak \t\t", X,
        shown=[b"progs.dat", b"sound/a.wav"], hidden=[b"-Cout.bsp"]),
    row("a name like an option after --", b"extract x.pak -- -C\t", X + [b"--", b"-Cout.bsp"]),
    row("rm escapes a pattern", b"rm x.pak maps/gl\t", [b"rm", b"x.pak", b"maps/gl\\*\\?\\[.bsp"]),
    row("-i escapes a pattern", b"extract x.pak -i maps/gl\t",
        X + [b"-i", b"maps/gl\\*\\?\\[.bsp"]),
    row("grep's names follow its pattern and archive", b"grep bind x.pak maps/gl\t",
        [b"grep", b"bind", b"x.pak", b"maps/gl\\*\\?\\[.bsp"]),
    # Names that must land as one word whatever they hold.
    row("backticks", b"extract x.pak maps/bq\t", X + [name(b"maps/bq")]),
    row("a backticked command", b"extract x.pak maps/bp\t", X + [name(b"maps/bp")]),
    row("$()", b"extract x.pak maps/cs\t", X + [name(b"maps/cs")]),
    row("$ typed before $()", b"extract x.pak maps/cs$\t", X + [name(b"maps/cs")]),
    row("${IFS}", b"extract x.pak maps/if\t", X + [name(b"maps/if")]),
    row("a space, common prefix then one", b"extract x.pak maps/sp\t1\t",
        X + [name(b"maps/sp a1")]),
    row("a space, listed", b"extract x.pak maps/sp\t\t\t2\t", X + [name(b"maps/sp a2")],
        shown=[b" a1.bsp'", b" a2.bsp'"]),
    row("a space typed escaped", b"extract x.pak maps/sp\\ a1\t", X + [name(b"maps/sp a1")]),
    row("both quotes", b"extract x.pak maps/qt\t", X + [name(b"maps/qt")]),
    row("both quotes after an open '", b"extract x.pak 'maps/qt\t", X + [name(b"maps/qt")]),
    row("a quote opened before a quote of the name", b"extract x.pak maps/qt'\t",
        X + [name(b"maps/qt")]),
    row("both quotes after an open $'", b"extract x.pak $'maps/qt\t", X + [name(b"maps/qt")]),
    row("a whole name after an open '", b"extract x.pak 'sound/a.wav\t", X + [b"sound/a.wav"]),
    row("a whole name after an open $'", b"extract x.pak $'sound/a.wav\t", X + [b"sound/a.wav"]),
    row("a backslash", b"extract x.pak maps/bs\t", X + [name(b"maps/bs")]),
    row("a backslash before n", b"extract x.pak maps/bn\t", X + [name(b"maps/bn")], TYPED),
    row("glob characters", b"extract x.pak maps/gl\t", X + [name(b"maps/gl")]),
    row("a newline", b"extract x.pak maps/nl\t", X + [name(b"maps/nl")], TYPED),
    row("a newline typed as $'\\n'", b"extract x.pak $'maps/nl\\n'\t", X + [name(b"maps/nl")],
        X + [b"maps/nl\n"]),
    row("a newline after an open $'", b"extract x.pak $'maps/nl\\n\t", X + [name(b"maps/nl")],
        null_only=True),
    row("a tab", b"extract x.pak maps/tb\t", X + [name(b"maps/tb")], TYPED),
    row("an escape sequence", b"extract x.pak maps/es\t", X + [name(b"maps/es")], TYPED),
    row("invalid UTF-8", b"extract x.pak maps/iv\t", X + [name(b"maps/iv")]),
    row("UTF-8 typed before the cursor", b"extract x.pak maps/u8caf\xc3\xa9\t",
        X + [name(b"maps/u8")]),
    row("history expansion", b"extract x.pak maps/hb\t", X + [name(b"maps/hb")]),
    row("history expansion after an open \"", b'extract x.pak "maps/hb\t', X + [name(b"maps/hb")]),
    row("\" opened before a ! of the name", b'extract x.pak maps/hb"\t', X + [name(b"maps/hb")]),
    row("$ after an open \"", b'extract x.pak "maps/dl\t', X + [name(b"maps/dl")]),
    row("a command separator", b"extract x.pak maps/sc\t", X + [name(b"maps/sc")]),
    row("word breaks : and =", b"extract x.pak maps/co\t", X + [name(b"maps/co")]),
    row("completing after a typed :", b"extract x.pak maps/co:l\t", X + [name(b"maps/co")]),
    row("$() in a listing", b"extract x.pak maps/ls\t\t\t b\t", X + [name(b"maps/ls b")],
        shown=[b" b'", b"$(pwn)a'"]),
    row("a leading ~ typed escaped", b"extract x.pak \\~t\t", X + [name(b"~td")]),
    row("a leading ~ left to the shell", b"extract x.pak ~t\t", X + [b"~t"]),
    # Letter case: the tool finds a name whatever its case, the line gets
    # the name as stored (extract NAME wants it exactly).
    row("case-blind, a common prefix then the list", b"extract x.pak MAPS/E1\t\t\t",
        X + [b"maps/e1m"], shown=[b"maps/e1m1.bsp", b"maps/e1m2.bsp"]),
    row("case-blind, one name", b"cat x.pak PROGS.D\t", [b"cat", b"x.pak", b"progs.dat"]),
    row("case-blind, backticks", b"extract x.pak Maps/BQ\t", X + [name(b"maps/bq")]),
    row("case-blind, $()", b"extract x.pak MAPS/CS\t", X + [name(b"maps/cs")]),
    row("case-blind after an open '", b"extract x.pak 'MAPS/QT\t", X + [name(b"maps/qt")]),
    row("case-blind after an open $'", b"extract x.pak $'MAPS/QT\t", X + [name(b"maps/qt")]),
    row("case-blind after an open \"", b'extract x.pak "MAPS/HB\t', X + [name(b"maps/hb")]),
    row("case-blind, a space", b"extract x.pak MAPS/SP\\ A1\t", X + [name(b"maps/sp a1")]),
    row("case-blind, a newline", b"extract x.pak MAPS/NL\t", X + [name(b"maps/nl")], TYPED),
    row("case-blind rm pattern", b"rm x.pak MAPS/GL\t", [b"rm", b"x.pak", b"maps/gl\\*\\?\\[.bsp"]),
    row("case-blind -i pattern", b"extract x.pak -i Maps/Gl\t",
        X + [b"-i", b"maps/gl\\*\\?\\[.bsp"]),
    row("case-blind, like an option after --", b"extract x.pak -- -c\t",
        X + [b"--", b"-Cout.bsp"]),
    row("the typed case picks a name (lower)", b"extract x.pak gfx/c\t", X + [b"gfx/colormap.lmp"]),
    row("the typed case picks a name (upper)", b"extract x.pak gfx/C\t", X + [b"gfx/Conback.lmp"]),
    row("names differing in case, neither as typed", b"extract x.pak GFX/CO\t\t\t", X + [b"gfx/"],
        shown=[b"gfx/Conback.lmp", b"gfx/colormap.lmp"]),
    row("the part before a word break keeps its case", b"extract x.pak MAPS/CO:l\t",
        X + [b"MAPS/CO:l"]),
    # Options every command takes, before or after it.
    row("an option before the command", b"-q ext\t", [b"-q", b"extract"]),
    row("names after an option before the command", b"-v extract x.pak sound/\t",
        [b"-v"] + X + [b"sound/a.wav"]),
    row("names after --progress WHEN before the command",
        b"--progress never cat x.pak sound/\t", [b"--progress", b"never", b"cat", b"x.pak",
                                                  b"sound/a.wav"]),
    row("a value of --progress=", b"extract x.pak --progress=al\t", X + [b"--progress=always"]),
    row("grep's -i takes no value", b"grep -i bind x.pak maps/gl\t",
        [b"grep", b"-i", b"bind", b"x.pak", b"maps/gl\\*\\?\\[.bsp"]),
]


def pak_image(names):
    """A PAK: 12-byte header, one byte of data per entry, then the directory."""
    data = bytearray()
    directory = bytearray()
    for i, entry in enumerate(names):
        assert len(entry) < 56, entry
        directory += entry.ljust(56, b"\0") + struct.pack("<ii", 12 + len(data), 1)
        data += bytes([65 + i % 26])
    return b"PACK" + struct.pack("<ii", 12 + len(data), len(directory)) + bytes(data + directory)


class Shell:
    """An interactive bash on a pty; every wait has a timeout."""

    def __init__(self, bash, env, cwd, setup):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            try:
                os.chdir(cwd)
                os.execve(bash, ["bash", "--norc", "--noprofile", "-i"], env)
            finally:
                os._exit(127)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 1000, 0, 0))
        self.out = b""
        self.seen = 0
        self.send(b". '" + setup.encode() + b"'; echo READY$((6*7))\r")
        self.expect(rb"READY42")

    def send(self, keys):
        os.write(self.fd, keys)

    def expect(self, pattern):
        regex = re.compile(pattern, re.S)
        while True:
            m = regex.search(self.out, self.seen)
            if m:
                self.seen = m.end()
                return m
            ready, _, _ = select.select([self.fd], [], [], TIMEOUT)
            if not ready:
                raise TimeoutError("no %r in %r" % (pattern, self.out[self.seen:][-400:]))
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                raise EOFError("shell ended: %r" % self.out[self.seen:][-400:])
            self.out += chunk

    def reset(self):
        """After a failure: drop the line (and any open quote) for the next row."""
        self.send(b"\x03")
        self.send(b"echo RESET$((6*7))\r")
        try:
            self.expect(rb"RESET42")
        except (TimeoutError, EOFError):
            pass

    def close(self):
        try:
            self.send(b"\x05\x15exit\r")
            os.close(self.fd)
        except OSError:
            pass
        try:
            os.kill(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        os.waitpid(self.pid, 0)


def run_row(shell, keys):
    """Types keys after "zorvak-pak ", then runs the line as show's words."""
    start = len(shell.out)
    shell.seen = start
    shell.send(b"zorvak-pak " + keys + b"\x01show \r")
    m = shell.expect(rb"<<W:([0-9a-f,]*):W>>")
    words = [bytes.fromhex(h.decode()) for h in m.group(1).split(b",")[:-1]]
    return words, shell.out[start:m.start()]


def pwned(work):
    return [os.path.join(d, f) for d, _, files in os.walk(work) for f in files if "PWNED" in f]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True, help="the built zorvak-pak")
    parser.add_argument("--completion", required=True, help="packaging/completion/zorvak-pak")
    parser.add_argument("--bash-completion", default="/usr/share/bash-completion/bash_completion")
    args = parser.parse_args()

    bash = shutil.which("bash")
    if bash is None:
        print("SKIP: no bash to drive")
        return SKIP
    tool = os.path.abspath(args.tool)
    completion = os.path.abspath(args.completion)

    with tempfile.TemporaryDirectory(prefix="zorvak-completion-") as top:
        work = os.path.join(top, "work")
        os.makedirs(os.path.join(work, "out dir"))
        with open(os.path.join(work, "x.pak"), "wb") as f:
            f.write(pak_image(NAMES))
        shutil.copy(os.path.join(work, "x.pak"), os.path.join(work, "my pak.pak"))

        # The tool itself, and one that refuses --null as a tool before it did.
        direct = os.path.join(top, "direct")
        fallback = os.path.join(top, "fallback")
        os.makedirs(direct)
        os.makedirs(fallback)
        os.symlink(tool, os.path.join(direct, "zorvak-pak"))
        for d in (direct, fallback):
            with open(os.path.join(d, "pwn"), "w") as f:
                f.write("#!/bin/sh\n: > '%s/PWNED'\n" % work)
            os.chmod(os.path.join(d, "pwn"), 0o755)
        wrapper = os.path.join(fallback, "zorvak-pak")
        with open(wrapper, "w") as f:
            f.write('#!/bin/sh\nfor a; do\n  [ "$a" = --null ] && '
                    '{ echo "zorvak-pak: unknown option --null" >&2; exit 2; }\ndone\n'
                    '# That tool wrote a backslash in a name as itself.\n'
                    '"%s" "$@" | sed \'s/\\\\\\\\/\\\\/g\'\n' % tool)
        os.chmod(wrapper, 0o755)
        has_null = subprocess.run([tool, "list", "--null", os.path.join(work, "x.pak")],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).returncode == 0
        print("list --null: %s" % ("available" if has_null else
                                   "not available, both sessions read plain list"))

        inputrc = os.path.join(top, "inputrc")
        with open(inputrc, "w") as f:
            f.write("set bell-style none\nset editing-mode emacs\nset completion-query-items -1\n"
                    "set page-completions off\nset completion-ignore-case off\n"
                    "set show-all-if-ambiguous off\nset enable-bracketed-paste off\n")
        # show prints its words in hex, so that no byte of them reaches the
        # terminal's line discipline.
        show = ("show() { local w; printf '<<W:'; for w; do printf %s \"$w\" | "
                "od -An -v -tx1 | tr -d ' \\n'; printf ,; done; printf ':W>>\\n'; }\n")

        failures = 0
        skipped = []
        for with_filedir in (False, True):
            if with_filedir and not os.path.isfile(args.bash_completion):
                skipped.append("no %s (Debian package bash-completion): sessions with _filedir"
                               % args.bash_completion)
                continue
            tools = ((direct, has_null, "the tool (list --null)" if has_null else
                      "the tool (no list --null yet: plain list)"),
                     (fallback, False, "a tool refusing --null (plain list)"))
            for path, null, tool_label in tools:
                session = "%s, %s" % ("with _filedir" if with_filedir else "without _filedir",
                                      tool_label)
                setup = os.path.join(top, "setup.sh")
                with open(setup, "w") as f:
                    if with_filedir:
                        f.write(". '%s'\n" % args.bash_completion)
                    f.write(". '%s'\n%s" % (completion, show))
                env = {"PATH": path + os.pathsep + "/usr/bin:/bin", "HOME": work,
                       "INPUTRC": inputrc, "TERM": "dumb", "LANG": "C.UTF-8", "PS1": "$ ",
                       "PS2": "> ", "HISTFILE": "/dev/null"}
                shell = Shell(bash, env, work, setup)
                passed = 0
                rows = [r for r in ROWS if null or not r["null_only"]]
                try:
                    for r in rows:
                        words = r["words"]
                        if not null and r["fallback"] is TYPED:
                            words = r["keys"].rstrip(b"\t").split(b" ")
                        elif not null and r["fallback"] is not SAME:
                            words = r["fallback"]
                        want = [b"zorvak-pak"] + words
                        try:
                            got, screen = run_row(shell, r["keys"])
                        except (TimeoutError, EOFError) as e:
                            got, screen = str(e), b""
                            shell.reset()
                        problems = []
                        if got != want:
                            problems.append("words %r, want %r" % (got, want))
                        problems += ["listing lacks %r" % s for s in r["shown"] if s not in screen]
                        problems += ["listing shows %r" % s for s in r["hidden"] if s in screen]
                        if pwned(work):
                            problems.append("ran a name: %r" % pwned(work))
                            for p in pwned(work):
                                os.unlink(p)
                        if problems:
                            failures += 1
                            print("FAIL [%s] %s: %s" % (session, r["label"], "; ".join(problems)))
                        else:
                            passed += 1
                finally:
                    shell.close()
                print("%s: %d of %d rows passed" % (session, passed, len(rows)))
        for s in skipped:
            print("SKIP: " + s)
        if failures:
            return 1
        return SKIP if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
