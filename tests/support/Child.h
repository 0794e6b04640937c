// A piece of a test run in a child process, to be killed, limited or
// stopped there without touching the test process.
#pragma once

#ifndef _WIN32
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace zorvak::test {

struct TChildEnd {
    bool Exited = false;
    int Status = -1; // when Exited
    int Signal = 0;  // what ended it otherwise
};

// Runs body in a forked child, which exits with body's answer; what ended
// it. The child never returns into the test.
inline TChildEnd RunInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    TChildEnd end;
    int raw = 0;
    if (pid < 0 || ::waitpid(pid, &raw, 0) != pid)
        return end;
    end.Exited = WIFEXITED(raw);
    end.Status = end.Exited ? WEXITSTATUS(raw) : -1;
    end.Signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    return end;
}

// The number of a process that has ended: a child that exits at once.
inline unsigned EndedProcessNumber() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return static_cast<unsigned>(pid);
}

} // namespace zorvak::test
#endif
