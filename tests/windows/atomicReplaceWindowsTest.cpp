// The headless host's file replacement, file stamps and reading descriptors on Windows.
#include <gtest/gtest.h>

#include "headless/windowsApi.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "headless/atomicReplace.h"
#include "formats/fileDescriptor.h"
#include "headless/hostSession.h"
#include "formats/openForReading.h"

namespace morvane {
namespace {

// A fresh folder, removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto base = std::filesystem::temp_directory_path();
        for (unsigned attempt = 0; path_.empty(); ++attempt) {
            const auto candidate = base / ("morvane-windows-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                           std::to_string(attempt));
            if (std::filesystem::create_directory(candidate)) path_ = candidate.string();
        }
    }
    ~ScratchFolder() {
        // Read-only files would stay behind.
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ContentWriter writing(const std::string& text) {
    return [text](int fd) { return writeAll(fd, text.data(), text.size()); };
}

// A process of this program that does not run: suspended until the object goes.
class SuspendedProcess {
public:
    SuspendedProcess() {
        char program[MAX_PATH];
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string commandLine = std::string("\"") + program + "\" --gtest_list_tests";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                  nullptr, nullptr, &startup, &process_) != 0;
    }
    ~SuspendedProcess() { end(); }
    pid_t pid() const { return static_cast<pid_t>(process_.dwProcessId); }
    bool started() const { return started_; }
    void end() {
        if (!started_) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, INFINITE);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        started_ = false;
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

TEST(AtomicReplaceWindows, ReplacesTheContentAndKeepsTheAttributes) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "old content");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(replaceFileAtomically(path, writing("new\ncontent\n")), "");
    EXPECT_EQ(readFile(path), "new\ncontent\n") << "bytes go through unchanged: no text mode";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"run.vtc"});
}

TEST(AtomicReplaceWindows, NewFilesAreCreatedAndFailedWritesLeaveNothing) {
    ScratchFolder folder;
    EXPECT_EQ(replaceFileAtomically(folder.file("new.sdm"), writing("x")), "");
    EXPECT_EQ(readFile(folder.file("new.sdm")), "x");
    EXPECT_EQ(GetFileAttributesA(folder.file("new.sdm").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(replaceFileAtomically(folder.file("locked.sdm"), writing("y"), 0444), "");
    EXPECT_NE(GetFileAttributesA(folder.file("locked.sdm").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    const std::string problem = replaceFileAtomically(folder.file("new.sdm"), [](int fd) {
        writeAll(fd, "partial", 7);
        return std::string("disk full");
    });
    EXPECT_EQ(problem, "disk full");
    EXPECT_EQ(readFile(folder.file("new.sdm")), "x");
    EXPECT_EQ(filesIn(folder.path()), (std::vector<std::string>{"locked.sdm", "new.sdm"}));

    ASSERT_TRUE(CreateDirectoryA(folder.file("folder.sdm").c_str(), nullptr));
    EXPECT_NE(replaceFileAtomically(folder.file("folder.sdm"), writing("z")), "");
}

TEST(AtomicReplaceWindows, LeftoversOfEndedProcessesGoThoseOfRunningOnesStay) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "original");
    SuspendedProcess running;
    SuspendedProcess ended;
    ASSERT_TRUE(running.started());
    ASSERT_TRUE(ended.started());
    const pid_t endedPid = ended.pid();
    ended.end();
    const std::string abandoned = temporaryFileName(path, endedPid, 3);
    const std::string inUse = temporaryFileName(path, running.pid(), 4);
    writeFile(abandoned, "left behind");
    writeFile(inUse, "being written");
    writeFile(folder.file(".run.vtc.morvane-x-1.tmp"), "not ours");

    EXPECT_EQ(replaceFileAtomically(path, writing("new")), "");
    EXPECT_EQ(readFile(path), "new");
    const auto names = filesIn(folder.path());
    EXPECT_EQ(std::count(names.begin(), names.end(), std::filesystem::path(abandoned).filename().string()), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), std::filesystem::path(inUse).filename().string()), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".run.vtc.morvane-x-1.tmp"), 1);
}

// A VTC is saved in place: read through a descriptor, which is closed before the move.
TEST(AtomicReplaceWindows, AFileBeingReadIsReplacedOnceItsDescriptorIsClosed) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "HEADERdata that follows the header");
    const auto before = stampOf(path);
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(stampOf(path), before);

    FileDescriptor source(openForReading(path));
    ASSERT_TRUE(source.valid());
    EXPECT_EQ(replaceFileAtomically(path, [&](int fd) {
                  std::string why = writeAll(fd, "header", 6);
                  if (why.empty()) why = copyFileTail(source.get(), 6, fd);
                  source.close();
                  return why;
              }),
              "");
    EXPECT_EQ(readFile(path), "headerdata that follows the header");
    const auto after = stampOf(path);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->name, "run.vtc");
    EXPECT_EQ(after->size, 34);
    EXPECT_NE(after, before);

    EXPECT_EQ(openForReading(folder.file("missing.vtc")), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(stampOf(folder.file("missing.vtc")).has_value());
}

}  // namespace
}  // namespace morvane
