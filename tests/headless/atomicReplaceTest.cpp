#include "headless/atomicReplace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "headless/fileDescriptor.h"
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

}  // namespace
}  // namespace morvane
