// A piece of a test run in a child process, to be killed, limited or
// stopped there without touching the test process.
#pragma once

#ifndef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// What a program run in a child process wrote, and how it ended.
struct TProgramRun {
    TChildEnd End;
    std::string Out, Err;
};

// Runs program with args and only the environment env ("NAME=value"),
// standard input from /dev/null, its output gathered in files (no pipe to
// fill up while the test waits).
inline TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                              const std::vector<std::string>& env) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    TProgramRun run;
    if (out == nullptr || err == nullptr)
        return run;
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore = env;
    for (std::string& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    run.End = RunInChild([&] {
        const int none = ::open("/dev/null", O_RDONLY);
        if (none < 0 || ::dup2(none, 0) < 0 || ::dup2(::fileno(out), 1) < 0 ||
            ::dup2(::fileno(err), 2) < 0)
            return 127;
        ::execve(program.c_str(), argv.data(), envp.data());
        return 127;
    });
    const auto slurp = [](std::FILE* file) {
        std::string text;
        std::rewind(file);
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
        return text;
    };
    run.Out = slurp(out);
    run.Err = slurp(err);
    return run;
}

} // namespace zorvak::test
#endif
