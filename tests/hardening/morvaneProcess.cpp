#include "tests/hardening/morvaneProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace hardening {
namespace {

struct Argv {
    explicit Argv(const std::vector<std::string>& command) : texts(command) {
        for (std::string& text : texts) pointers.push_back(text.data());
        pointers.push_back(nullptr);
    }
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

// In the child between fork and exec: only calls that are safe there.
[[noreturn]] void becomeChild(const ProcessOptions& options, char* const* argv, int out, int err) {
    const int input = ::open("/dev/null", O_RDONLY);
    if (input < 0 || ::dup2(input, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    if (::chdir(options.folder.c_str()) != 0) ::_exit(126);
    if (options.fileSizeLimit) {
        // Ignored, SIGXFSZ no longer ends the program: the write fails with EFBIG instead,
        // as on a full disk. An ignored signal stays ignored across exec.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(*options.fileSizeLimit), static_cast<rlim_t>(*options.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    if (options.user) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(*options.user) != 0 || ::setuid(*options.user) != 0) ::_exit(126);
    }
    ::execv(argv[0], argv);
    ::_exit(127);
}

void readInto(int descriptor, std::string& text, bool& open) {
    std::array<char, 65536> buffer;
    const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
    if (count > 0)
        text.append(buffer.data(), static_cast<std::size_t>(count));
    else if (count == 0 || (errno != EINTR && errno != EAGAIN))
        open = false;
}

}  // namespace

ProcessResult runProcess(const ProcessOptions& options) {
    ProcessResult result;
    Argv argv(options.command);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return result;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) becomeChild(options, argv.pointers.data(), out[1], err[1]);
    ::close(out[1]);
    ::close(err[1]);
    result.started = pid > 0;

    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    bool outOpen = true, errOpen = true;
    while (pid > 0 && (outOpen || errOpen)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        pollfd watched[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (!outOpen) watched[0].fd = -1;
        if (!errOpen) watched[1].fd = -1;
        if (::poll(watched, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        if (watched[0].revents != 0) readInto(out[0], result.out, outOpen);
        if (watched[1].revents != 0) readInto(err[0], result.err, errOpen);
    }
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    }
    return result;
}

pid_t startQuietProcess(const ProcessOptions& options) {
    Argv argv(options.command);
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nothing < 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) becomeChild(options, argv.pointers.data(), nothing, nothing);
    ::close(nothing);
    return pid;
}

bool canRunAsOtherUser() {
    if (::geteuid() != 0) return false;
    ProcessOptions probe;
    probe.command = {"/bin/true"};
    probe.user = unprivilegedUser;
    probe.timeout = std::chrono::seconds(20);
    return runProcess(probe).exitStatus == 0;
}

std::string describe(const ProcessResult& result) {
    std::string text;
    if (!result.started) return "the program did not start";
    if (result.timedOut) text = "killed after the time limit; ";
    if (result.signal != 0) text += "ended by signal " + std::to_string(result.signal) + "; ";
    if (result.exitStatus >= 0) text += "exit status " + std::to_string(result.exitStatus) + "; ";
    return text + "standard error:\n" + result.err + "\nstandard output (end):\n" +
           result.out.substr(result.out.size() > 3000 ? result.out.size() - 3000 : 0);
}

std::string sanitizerReport(const std::string& err) {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                             "ERROR: UndefinedBehaviorSanitizer", "WARNING: AddressSanitizer"}) {
        const auto at = err.find(mark);
        if (at == std::string::npos) continue;
        const auto newline = err.rfind('\n', at);
        const std::size_t lineStart = newline == std::string::npos ? 0 : newline + 1;
        const auto lineEnd = err.find('\n', at);
        return err.substr(lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
    }
    return {};
}

}  // namespace hardening
