#include "headless/atomicReplace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "formats/fileDescriptor.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

ContentWriter writing(const std::string& text) {
    return [text](int fd) { return writeAll(fd, text.data(), text.size()); };
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

pid_t finishedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicReplace, ReplacesTheContentAndKeepsThePermissions) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "old content");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(replaceFileAtomically(path, writing("new")), "");
    EXPECT_EQ(readFile(path), "new");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"run.vtc"});
}

TEST(AtomicReplace, AFailedWriteLeavesTheOriginalAndNoTemporaryFile) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "old content");
    const std::string problem = replaceFileAtomically(path, [](int fd) {
        writeAll(fd, "partial", 7);
        return std::string("disk full");
    });
    EXPECT_EQ(problem, "disk full");
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"run.vtc"});
}

TEST(AtomicReplace, NewFilesAreCreatedAndLinksStayLinks) {
    ScratchFolder folder;
    EXPECT_EQ(replaceFileAtomically(folder.file("new.sdm"), writing("x")), "");
    EXPECT_EQ(readFile(folder.file("new.sdm")), "x");
    writeFile(folder.file("target.vtc"), "old");
    ASSERT_EQ(::symlink("target.vtc", folder.file("link.vtc").c_str()), 0);
    EXPECT_EQ(replaceFileAtomically(folder.file("link.vtc"), writing("through the link")), "");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.vtc")));
    EXPECT_EQ(readFile(folder.file("target.vtc")), "through the link");
}

TEST(AtomicReplace, LeftoversOfEndedProcessesGoThoseOfRunningOnesStay) {
    ScratchFolder folder;
    const std::string path = folder.file("run.vtc");
    writeFile(path, "original");
    const std::string abandoned = temporaryFileName(path, finishedProcess(), 3);
    const std::string running = temporaryFileName(path, ::getppid(), 0);
    const std::string otherFile = temporaryFileName(folder.file("other.vtc"), finishedProcess(), 0);
    for (const std::string& leftover : {abandoned, running, otherFile}) writeFile(leftover, "half written");
    writeFile(folder.file(".run.vtc.morvane-notapid-1.tmp"), "not ours");
    EXPECT_EQ(replaceFileAtomically(path, writing("new")), "");
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_TRUE(std::filesystem::exists(otherFile));
    EXPECT_TRUE(std::filesystem::exists(folder.file(".run.vtc.morvane-notapid-1.tmp")));
    EXPECT_EQ(readFile(path), "new");
}

TEST(AtomicReplace, CopiesTheTailOfALargeFileExactly) {
    ScratchFolder folder;
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) >> 3);
    writeFile(folder.file("big"), big);
    const FileDescriptor source(::open(folder.file("big").c_str(), O_RDONLY));
    ASSERT_TRUE(source.valid());
    EXPECT_EQ(replaceFileAtomically(folder.file("copy"),
                                    [&](int fd) {
                                        std::string why = writeAll(fd, "HEAD", 4);
                                        return why.empty() ? copyFileTail(source.get(), 1000, fd) : why;
                                    }),
              "");
    EXPECT_EQ(readFile(folder.file("copy")), "HEAD" + big.substr(1000));
}

// Replacements that keep the superseded file for the next one: every file ends with exactly
// its own new content, whatever the kept file held before, and nothing is left once the kept
// file is removed.
std::string replaceKeeping(const std::string& path, const std::string& text) {
    return replaceFileAtomically(path, writing(text), 0644, SupersededFile::Reuse);
}

// The contents of the hidden files a replacement keeps for the next one.
std::vector<std::string> keptContents(const ScratchFolder& folder) {
    std::vector<std::string> contents;
    for (const std::string& name : filesIn(folder.path()))
        if (name.front() == '.') contents.push_back(readFile(folder.file(name)));
    return contents;
}

// Whether the folder's file system can exchange two names (else nothing is kept).
bool namesExchangeIn(const ScratchFolder& folder) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    writeFile(folder.file("probe.a"), "a");
    writeFile(folder.file("probe.b"), "b");
    const bool exchanged = ::renameat2(AT_FDCWD, folder.file("probe.a").c_str(), AT_FDCWD,
                                       folder.file("probe.b").c_str(), RENAME_EXCHANGE) == 0;
    std::filesystem::remove(folder.file("probe.a"));
    std::filesystem::remove(folder.file("probe.b"));
    return exchanged;
#else
    (void)folder;
    return false;
#endif
}

TEST(AtomicReplace, AKeptFileTakesTheNextContentAndLeavesNoOtherFileChanged) {
    ScratchFolder folder;
    const bool reusable = namesExchangeIn(folder);
    const std::vector<std::string> names = {"run1.vtc", "run2.vtc", "run3.vtc", "new.vtc"};
    const std::vector<std::string> before = {std::string(5000, 'a'), "b", std::string(70000, 'c'), ""};
    const std::vector<std::string> after = {"one", std::string(9000, '2'), "three", std::string(300, '4')};
    for (std::size_t i = 0; i + 1 < names.size(); ++i) writeFile(folder.file(names[i]), before[i]);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(replaceKeeping(folder.file(names[i]), after[i]), "");
        // The old content is kept, the one kept before has taken the new content; a new file
        // supersedes none.
        const bool existed = i + 1 < names.size();
        EXPECT_EQ(keptContents(folder), reusable && existed ? std::vector<std::string>{before[i]}
                                                            : std::vector<std::string>{}) << names[i];
        for (std::size_t k = 0; k <= i; ++k) EXPECT_EQ(readFile(folder.file(names[k])), after[k]) << names[k];
        for (std::size_t k = i + 1; k + 1 < names.size(); ++k) EXPECT_EQ(readFile(folder.file(names[k])), before[k]);
    }
    removeKeptFile();
    EXPECT_EQ(filesIn(folder.path()), (std::vector<std::string>{"new.vtc", "run1.vtc", "run2.vtc", "run3.vtc"}));
}

// Two replacements in a row, after which every file holds exactly what it should and no
// temporary file is left: a file that another link holds is never written over, and a kept
// file moves to another folder of the same disk.
TEST(AtomicReplace, KeptFilesServeOnlyWhereNothingElseHoldsThem) {
    using Files = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* what;
        Files before;
        Files links;  // existing file, its second name
        Files replacements;
        Files after;  // every file there is, with its content
    };
    const std::vector<Case> cases = {
        {"a file with a second link",
         {{"run1.vtc", "old run 1"}, {"run2.vtc", "old run 2"}},
         {{"run1.vtc", "backup.vtc"}},
         {{"run1.vtc", "new run 1"}, {"run2.vtc", "new run 2"}},
         {{"backup.vtc", "old run 1"}, {"run1.vtc", "new run 1"}, {"run2.vtc", "new run 2"}}},
        {"another folder",
         {{"a/run.vtc", std::string(4096, 'x')}, {"b/run.vtc", "old b"}},
         {},
         {{"a/run.vtc", "new a"}, {"b/run.vtc", "new b"}},
         {{"a/run.vtc", "new a"}, {"b/run.vtc", "new b"}}},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        for (const auto& [name, content] : c.before) {
            std::filesystem::create_directories(std::filesystem::path(folder.file(name)).parent_path());
            writeFile(folder.file(name), content);
        }
        for (const auto& [name, second] : c.links)
            ASSERT_EQ(::link(folder.file(name).c_str(), folder.file(second).c_str()), 0) << c.what;
        for (const auto& [name, content] : c.replacements) ASSERT_EQ(replaceKeeping(folder.file(name), content), "");
        removeKeptFile();
        Files found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
            if (entry.is_regular_file())
                found.emplace_back(std::filesystem::relative(entry.path(), folder.path()).string(),
                                   readFile(entry.path().string()));
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.after) << c.what;
    }
}

// A run ended by a signal between two saves takes the kept file with it.
TEST(AtomicReplace, AnInterruptedProgramLeavesNoKeptFile) {
    ScratchFolder folder;
    writeFile(folder.file("run1.vtc"), std::string(10000, 'o'));
    const pid_t child = ::fork();
    if (child == 0) {
        removeKeptFileWhenInterrupted();
        const bool replaced = replaceKeeping(folder.file("run1.vtc"), "new") == "";
        const bool kept = filesIn(folder.path()).size() == 2;
        if (!replaced || !kept) ::_exit(3);
        ::raise(SIGTERM);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"run1.vtc"});
    EXPECT_EQ(readFile(folder.file("run1.vtc")), "new");
}

TEST(AtomicReplace, AFailedWriteIntoAKeptFileLeavesTheOriginal) {
    ScratchFolder folder;
    writeFile(folder.file("run1.vtc"), "old run 1");
    writeFile(folder.file("run2.vtc"), "old run 2");
    ASSERT_EQ(replaceKeeping(folder.file("run1.vtc"), "new run 1"), "");
    const std::string problem = replaceFileAtomically(
        folder.file("run2.vtc"),
        [](int fd) {
            writeAll(fd, "par", 3);
            return std::string("disk full");
        },
        0644, SupersededFile::Reuse);
    EXPECT_EQ(problem, "disk full");
    EXPECT_EQ(readFile(folder.file("run2.vtc")), "old run 2");
    removeKeptFile();
    EXPECT_EQ(filesIn(folder.path()), (std::vector<std::string>{"run1.vtc", "run2.vtc"}));
}

}  // namespace
}  // namespace morvane
