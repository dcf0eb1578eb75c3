// Runs morvane (or any program) as a child process for the hardening tests: in a folder of
// its own, with standard input closed, standard output and error collected through pipes
// (so that a file-size limit on the child does not touch them), and optionally under a
// file-size limit, as another user, or under a time limit after which it is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hardening {

// The user that an unprivileged run takes when the tests run as root: root may write into
// any folder and read any file, so a read-only folder or an unreadable file only shows
// under another user.
inline constexpr uid_t unprivilegedUser = 65534;

struct ProcessOptions {
    std::vector<std::string> command;         // the program and its arguments
    std::string folder = ".";                 // the working folder
    std::optional<long long> fileSizeLimit;   // bytes; writes beyond it fail with EFBIG
    std::optional<uid_t> user;                // run as this user (and group) instead
    std::chrono::milliseconds timeout{std::chrono::minutes(2)};
};

struct ProcessResult {
    int exitStatus = -1;      // the status it exited with, -1 when it did not exit
    int signal = 0;           // the signal that ended it, 0 when it exited
    bool timedOut = false;    // killed after the time limit
    bool started = false;
    std::string out, err;
};

ProcessResult runProcess(const ProcessOptions& options);

// Starts the program with its output thrown away; for tests that kill it midway.
pid_t startQuietProcess(const ProcessOptions& options);

// Whether this process can start children as another user (it is root with the right to
// change users).
bool canRunAsOtherUser();

// A text that describes how a run ended, for failure messages.
std::string describe(const ProcessResult& result);

// Reports of AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer in a run's
// standard error: the first line of one, or "".
std::string sanitizerReport(const std::string& err);

// The arguments with more after them: a run's usual answers and the options of one test.
inline std::vector<std::string> with(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

#if defined(MORVANE_PROGRAM) && defined(EXAMPLE_STUDY)
// For the test programs of morvane_program_tests(), which know where this build's morvane and
// the example study are: morvane (or a copy of it at `program`) run in `folder`, and a scratch
// copy of the study made at `folder` (made if it does not exist).
inline ProcessResult runMorvane(const std::string& folder, const std::vector<std::string>& arguments,
                                const std::string& program = MORVANE_PROGRAM) {
    ProcessOptions options;
    options.command = {program};
    options.command.insert(options.command.end(), arguments.begin(), arguments.end());
    options.folder = folder;
    return runProcess(options);
}

inline void copyExampleStudy(const std::string& folder) {
    std::filesystem::copy(EXAMPLE_STUDY, folder, std::filesystem::copy_options::recursive);
}
#endif

}  // namespace hardening
