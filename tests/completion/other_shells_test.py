#!/usr/bin/env python3
"""Drives the zsh or the fish completion of zorvak-pak through a real pty.

As the bash test does: each row types a command line, presses TAB, then
puts "show " before what the line became and presses Enter; show prints the
words the shell passes it, so a row sees what the completed line would run
with. Listings are read from the screen (zsh) or from "complete -C" (fish).
The archive holds the bash test's names made to break out of quoting; pwn
is a program of the test's PATH that makes PWNED, and no file PWNED may
ever appear.

Exit status 0 all passed, 1 a row failed, 77 the shell is missing.
"""

import argparse
import fcntl
import os
import pty
import shutil
import struct
import subprocess
import sys
import tempfile
import termios

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from completion_test import NAMES, SKIP, Shell, name, pak_image, pwned, run_row  # noqa: E402

SAME = object()  # the shell gives the row's words
X = [b"extract", b"x.pak"]
GL = b"maps/gl\\*\\?\\[.bsp"  # maps/gl*?[.bsp as a pattern matching it alone


class OneOf:
    """Words a shell may pass in any of these forms, its choice not ours."""

    def __init__(self, *choices):
        self.choices = choices


def row(label, keys, words, zsh=SAME, fish=SAME, shown=(), hidden=(), keys_zsh=None,
        shown_zsh=None):
    """keys are typed after "zorvak-pak "; words are then passed after it
    (zsh, fish: what that shell passes instead, with why); a listing shows
    shown and none of hidden (zsh lists names quoted: shown_zsh)."""
    return dict(label=label, keys={"zsh": keys_zsh or keys, "fish": keys}, words=words, zsh=zsh,
                fish=fish, shown={"zsh": shown if shown_zsh is None else shown_zsh,
                                  "fish": shown}, hidden=hidden)


ROWS = [
    # Commands, options, archives, directories.
    row("a command", b"ext\t", [b"extract"]),
    row("render's name", b"ren\t", [b"render"]),
    row("the commands", b"\t", [], shown=[b"compact", b"grep", b"verify"]),
    row("a command after an option before it", b"-q ext\t", [b"-q", b"extract"]),
    row("a command's option", b"extract x.pak --no-c\t", X + [b"--no-clobber"]),
    row("an option every command takes", b"rm x.pak --verb\t",
        [b"rm", b"x.pak", b"--verbose"]),
    row("a value of --progress=", b"list x.pak --progress=al\t",
        [b"list", b"x.pak", b"--progress=always"]),
    row("--view's values", b"render x.pak --view \t", [b"render", b"x.pak", b"--view"],
        shown=[b"front", b"side", b"top", b"iso"], hidden=[b"sound/a.wav"]),
    row("an archive", b"list x.p\t", [b"list", b"x.pak"]),
    row("an archive with a space", b"list my\t", [b"list", b"my pak.pak"]),
    row("an archive in capitals", b"verify U\t", [b"verify", b"UP.PAK"]),
    row("archives, not other files", b"list \t", [b"list"],
        shown=[b"UP.PAK", b"x.pak"], hidden=[b"notes.txt"]),
    row("diff's second archive", b"diff x.pak U\t", [b"diff", b"x.pak", b"UP.PAK"]),
    row("a directory for -C", b"extract x.pak -C ou\t", X + [b"-C", b"out dir/"]),
    row("build's directory", b"build ou\t", [b"build", b"out dir/"]),
    row("mount's directory after its archive", b"mount x.pak ou\t",
        [b"mount", b"x.pak", b"out dir/"]),
    row("add's files", b"add x.pak no\t", [b"add", b"x.pak", b"notes.txt"]),
    # Entries, for the commands that take them.
    row("an entry", b"extract x.pak sound/a\t", X + [b"sound/a.wav"]),
    row("a second entry after a first", b"extract x.pak sound/a\tpro\t",
        X + [b"sound/a.wav", b"progs.dat"]),
    row("an entry after an option's value", b"extract x.pak -C out\\ dir sound/\t",
        X + [b"-C", b"out dir", b"sound/a.wav"]),
    row("an entry after an option before the command", b"-v cat x.pak pro\t",
        [b"-v", b"cat", b"x.pak", b"progs.dat"]),
    row("info's entries", b"info x.pak sound/\t", [b"info", b"x.pak", b"sound/a.wav"]),
    row("mv's old name", b"mv x.pak sound/\t", [b"mv", b"x.pak", b"sound/a.wav"]),
    row("mv's new name is not looked up", b"mv x.pak progs.dat sound/\t",
        [b"mv", b"x.pak", b"progs.dat", b"sound/"]),
    row("render's entry after -o's file and the archive", b"render -o p.png x.pak sound/a\t",
        [b"render", b"-o", b"p.png", b"x.pak", b"sound/a.wav"]),
    row("a common prefix and the names below it", b"extract x.pak maps/e1\t",
        X + [b"maps/e1m"], shown=[b"maps/e1m1.bsp", b"maps/e1m2.bsp"]),
    row("names like options are left out", b"extract x.pak \t", X,
        shown=[b"progs.dat", b"sound/a.wav"], hidden=[b"-Cout.bsp"]),
    row("a name like an option after --", b"extract x.pak -- -C\t",
        X + [b"--", b"-Cout.bsp"]),
    row("rm escapes a pattern", b"rm x.pak maps/gl\t", [b"rm", b"x.pak", GL]),
    row("-i escapes a pattern", b"extract x.pak -i maps/gl\t", X + [b"-i", GL]),
    row("a pattern of a name with a backslash", b"rm x.pak maps/bs\t",
        [b"rm", b"x.pak", b"maps/bs\\\\x.bsp"]),
    row("grep's names follow its pattern and archive", b"grep bind x.pak maps/gl\t",
        [b"grep", b"bind", b"x.pak", GL]),
    row("grep's -i takes no value", b"grep -i bind x.pak maps/gl\t",
        [b"grep", b"-i", b"bind", b"x.pak", GL]),
    row("grep's pattern is not a name", b"grep maps/gl\t", [b"grep", b"maps/gl"]),
    # Names that must land as one word whatever they hold.
    row("backticks", b"extract x.pak maps/bq\t", X + [name(b"maps/bq")]),
    row("$()", b"extract x.pak maps/cs\t", X + [name(b"maps/cs")]),
    row("${IFS}", b"extract x.pak maps/if\t", X + [name(b"maps/if")]),
    row("both quotes", b"extract x.pak maps/qt\t", X + [name(b"maps/qt")]),
    row("both quotes after an open '", b"extract x.pak 'maps/qt\t", X + [name(b"maps/qt")]),
    row("both quotes after an open \"", b'extract x.pak "maps/qt\t', X + [name(b"maps/qt")]),
    row("a space, completed after the common prefix", b"extract x.pak maps/sp\t1\t",
        X + [name(b"maps/sp a1")]),
    row("a space typed escaped", b"extract x.pak maps/sp\\ a2\t", X + [name(b"maps/sp a2")]),
    row("a newline", b"extract x.pak maps/nl\t", X + [name(b"maps/nl")]),
    row("a newline in a pattern", b"rm x.pak maps/nl\t", [b"rm", b"x.pak", name(b"maps/nl")]),
    row("a tab", b"extract x.pak maps/tb\t", X + [name(b"maps/tb")],
        fish=X + [b"maps/tb"]),  # fish reads a tab in a candidate as its description's start
    row("an escape sequence", b"extract x.pak maps/es\t", X + [name(b"maps/es")]),
    row("invalid UTF-8", b"extract x.pak maps/iv\t", X + [name(b"maps/iv")]),
    row("UTF-8 and a space", b"extract x.pak maps/u8\t", X + [name(b"maps/u8")]),
    row("history expansion", b"extract x.pak maps/hb\t", X + [name(b"maps/hb")]),
    row("a command separator", b"extract x.pak maps/sc\t", X + [name(b"maps/sc")]),
    row(": and =", b"extract x.pak maps/co\t", X + [name(b"maps/co")]),
    row("$() and a space, listed", b"extract x.pak maps/ls\t", X + [b"maps/ls"],
        shown=[b"maps/ls b", b"maps/ls$(pwn)a"], shown_zsh=[b"maps/ls\\ b", b"maps/ls\\$\\(pwn\\)a"],
        # zsh puts the backslash the two quoted names share on the line.
        keys_zsh=b"extract x.pak maps/ls\t$\t", zsh=X + [name(b"maps/ls$")]),
    row("a leading ~ typed escaped", b"extract x.pak \\~t\t", X + [name(b"~td")]),
    # Letter case: the tool finds a name whatever its case; the line gets
    # the name as stored (extract NAME wants it exactly).
    row("case-blind, one name", b"cat x.pak PROGS.D\t", [b"cat", b"x.pak", b"progs.dat"]),
    row("case-blind, a common prefix", b"extract x.pak MAPS/E1M\t", X + [b"maps/e1m"],
        fish=X + [b"MAPS/E1M"],  # fish offers case-blind matches without replacing the word
        shown=[b"maps/e1m1.bsp", b"maps/e1m2.bsp"]),
    row("case-blind, backticks", b"extract x.pak Maps/BQ\t", X + [name(b"maps/bq")]),
    row("case-blind, a newline", b"extract x.pak MAPS/NL\t", X + [name(b"maps/nl")]),
    row("case-blind after an open '", b"extract x.pak 'MAPS/QT\t", X + [name(b"maps/qt")]),
    row("case-blind rm pattern", b"rm x.pak MAPS/GL\t", [b"rm", b"x.pak", GL]),
    row("case-blind -i pattern", b"extract x.pak -i Maps/Gl\t", X + [b"-i", GL]),
    row("case-blind, like an option after --", b"extract x.pak -- -c\t",
        X + [b"--", b"-Cout.bsp"]),
    row("names differing in case", b"extract x.pak gfx/\t", X + [b"gfx/"],
        # zsh writes the part they share whatever the case in one name's case.
        zsh=OneOf(X + [b"gfx/Co"], X + [b"gfx/co"]),
        shown=[b"gfx/Conback.lmp", b"gfx/colormap.lmp"]),
]


ZSH_SETUP = r"""
fpath=(%(dir)s $fpath)
autoload -Uz compinit && compinit -u -D
bindkey -e
# ^A: to the start of the whole buffer, a quoted newline or not.
zp-home() { CURSOR=0 }
zle -N zp-home
bindkey '^A' zp-home
unsetopt beep
# A listing with the prefix the candidates share, not a TAB later.
unsetopt list_ambiguous
PS2='> '
show() { local w; printf '<<W:'; for w; do printf %%s "$w" | od -An -v -tx1 | tr -d ' \n'; printf ,; done; printf ':W>>\n'; }
"""

FISH_SETUP = r"""
set -g fish_complete_path %(dir)s $fish_complete_path
set -g fish_autosuggestion_enabled 0
set -g fish_greeting
function fish_prompt; printf '$ '; end
function fish_right_prompt; end
function fish_title; end
bind \ca beginning-of-buffer
function show
    printf '<<W:'
    for w in $argv
        printf %%s $w | od -An -v -tx1 | tr -d ' \n'
        printf ,
    end
    printf ':W>>\n'
end
"""


class Session(Shell):
    """An interactive zsh or fish on a pty, as Shell is for bash."""

    def __init__(self, kind, shell, env, cwd, setup):
        self.kind = kind
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            try:
                os.chdir(cwd)
                if kind == "zsh":
                    os.execve(shell, ["zsh", "-f", "-i"], env)
                else:
                    os.execve(shell, ["fish", "--no-config", "-i"], env)
            finally:
                os._exit(127)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 1000, 0, 0))
        self.out = b""
        self.seen = 0
        source = b". '" if kind == "zsh" else b"source '"
        self.send(source + setup.encode() + b"'; " + self.marker(b"READY"))
        self.expect(rb"READY42")

    def marker(self, word):
        """A command printing word and 42, which the typed line itself does not show."""
        if self.kind == "zsh":
            return b"echo " + word + b"$((6*7))\r"
        return b"echo " + word + b"(math 6 \\* 7)\r"

    def reset(self):
        self.send(b"\x03")
        self.send(self.marker(b"RESET"))
        try:
            self.expect(rb"RESET42")
        except (TimeoutError, EOFError):
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True, choices=["zsh", "fish"])
    parser.add_argument("--tool", required=True, help="the built zorvak-pak")
    parser.add_argument("--completion", required=True,
                        help="packaging/completion/_zorvak-pak or zorvak-pak.fish")
    args = parser.parse_args()

    shell = shutil.which(args.shell)
    if shell is None:
        print("SKIP: no %s to drive (Debian package %s)" % (args.shell, args.shell))
        return SKIP
    tool = os.path.abspath(args.tool)

    with tempfile.TemporaryDirectory(prefix="zorvak-completion-%s-" % args.shell) as top:
        work = os.path.join(top, "work")
        os.makedirs(os.path.join(work, "out dir"))
        with open(os.path.join(work, "x.pak"), "wb") as f:
            f.write(pak_image(NAMES))
        shutil.copy(os.path.join(work, "x.pak"), os.path.join(work, "my pak.pak"))
        shutil.copy(os.path.join(work, "x.pak"), os.path.join(work, "UP.PAK"))
        with open(os.path.join(work, "notes.txt"), "w") as f:
            f.write("not an archive\n")

        # The completion where the shell looks for it, under its own name.
        functions = os.path.join(top, "functions")
        os.makedirs(functions)
        shutil.copy(args.completion, os.path.join(
            functions, "_zorvak-pak" if args.shell == "zsh" else "zorvak-pak.fish"))

        path = os.path.join(top, "bin")
        os.makedirs(path)
        os.symlink(tool, os.path.join(path, "zorvak-pak"))
        with open(os.path.join(path, "pwn"), "w") as f:
            f.write("#!/bin/sh\n: > '%s/PWNED'\n" % work)
        os.chmod(os.path.join(path, "pwn"), 0o755)

        setup = os.path.join(top, "setup")
        with open(setup, "w") as f:
            f.write((ZSH_SETUP if args.shell == "zsh" else FISH_SETUP) % {"dir": functions})
        # No rc files of the user's: zsh reads none under -f, fish none with
        # --no-config, and their data and history go below top.
        env = {"PATH": path + os.pathsep + "/usr/bin:/bin", "HOME": work, "TERM": "dumb",
               "LANG": "C.UTF-8", "PS1": "$ ", "ZDOTDIR": top,
               "XDG_CONFIG_HOME": os.path.join(top, "config"),
               "XDG_DATA_HOME": os.path.join(top, "data"), "fish_history": ""}

        def listing(keys):
            """What fish offers for the line (complete -C, no pty)."""
            line = b"zorvak-pak " + keys.replace(b"\t", b"")
            script = b"source '%s'; complete -C $argv[1]" % setup.encode()
            result = subprocess.run([shell, "--no-config", "-c", script, line], cwd=work,
                                    env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    timeout=60)
            return result.stdout

        session = Session(args.shell, shell, env, work, setup)
        failures = 0
        passed = 0
        try:
            for r in ROWS:
                words = r[args.shell] if r[args.shell] is not SAME else r["words"]
                wants = [[b"zorvak-pak"] + w for w in
                         (words.choices if isinstance(words, OneOf) else [words])]
                try:
                    got, screen = run_row(session, r["keys"][args.shell])
                except (TimeoutError, EOFError) as e:
                    got, screen = str(e), b""
                    session.reset()
                shown = r["shown"][args.shell]
                if args.shell == "fish" and (shown or r["hidden"]):
                    screen = listing(r["keys"][args.shell])
                problems = []
                if got not in wants:
                    problems.append("words %r, want %s" % (got, " or ".join(map(repr, wants))))
                problems += ["listing lacks %r" % s for s in shown if s not in screen]
                problems += ["listing shows %r" % s for s in r["hidden"] if s in screen]
                if pwned(work):
                    problems.append("ran a name: %r" % pwned(work))
                    for p in pwned(work):
                        os.unlink(p)
                if problems:
                    failures += 1
                    print("FAIL [%s] %s: %s" % (args.shell, r["label"], "; ".join(problems)))
                else:
                    passed += 1
        finally:
            session.close()
        print("%s: %d of %d rows passed" % (args.shell, passed, len(ROWS)))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
