// morvane with the real plugin module on the example study and on broken copies of it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <map>

#include "formats/sdmFile.h"
#include "formats/vtcFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using hardening::ProcessResult;
using hardening::runMorvane;
using testing::folderContent;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::vector<std::string> standardAnswers = {"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                                  "--skip-first", "yes", "--z-transform", "yes", "--vmr",
                                                  "anatomy.vmr"};

std::string vtcData(const std::string& bytes) {
    std::istringstream in(bytes);
    auto header = parseVtcHeader(in);
    return header ? bytes.substr(header.value->headerLength) : std::string("no header");
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        committed = folderContent(EXAMPLE_STUDY);
        hardening::copyExampleStudy(study.path());
    }
    void TearDown() override { EXPECT_EQ(folderContent(EXAMPLE_STUDY), committed) << "the committed study changed"; }

    std::string at(const std::string& name) const { return study.file(name); }
    SdmContent sdm(const std::string& name) {
        auto parsed = readSdmFile(at(name));
        EXPECT_TRUE(parsed) << name << ": " << parsed.error;
        return parsed ? *parsed.value : SdmContent{};
    }

    std::map<std::string, std::string> committed;
    ScratchFolder study;
};

TEST_F(EndToEnd, TheExampleStudyConvertsCompletely) {
    // A save killed earlier left its temporary file; the next save of that VTC clears it.
    const pid_t gone = [] {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }();
    const std::string leftover = at(".run1.vtc.morvane-" + std::to_string(gone) + "-0.tmp");
    writeFile(leftover, "half a VTC");

    std::vector<std::string> arguments = standardAnswers;
    arguments.insert(arguments.end(), {"--log", "morvane.log"});
    const ProcessResult run = runMorvane(study.path(), arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("\nquorvel (v0.8.4)> Started...\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("HRF function: 2-gamma\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nFinished.\n\n"), std::string::npos);
    EXPECT_EQ(readFile(at("morvane.log")), run.out);
    EXPECT_NE(run.err.find("all 3 protocol(s) converted"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(leftover));

    for (const char* name : {"run1", "run2", "run3"}) {
        const std::string vtc = std::string(name) + ".vtc";
        const std::string saved = readFile(at(vtc));
        EXPECT_EQ(vtcData(saved), vtcData(committed[vtc])) << vtc;
        auto header = readVtcHeader(at(vtc));
        ASSERT_TRUE(header) << header.error;
        EXPECT_EQ(header.value->protocolNames, std::vector<std::string>{std::string(name) + ".prt"});
    }
    EXPECT_EQ(readFile(at("run2.vtc")).substr(readFile(at("run2.vtc")).size() - 16), "TRAILING-BYTES!\n");

    const SdmContent run1 = sdm("run1_run1.sdm");
    EXPECT_EQ(run1.names, (std::vector<std::string>{"Faces", "Houses", "Constant"}));
    EXPECT_EQ(run1.dataPoints, 150);
    EXPECT_EQ(run1.firstConfoundPredictor, 3);
    EXPECT_EQ(run1.colors.back(), (Rgb{255, 255, 255}));
    const SdmContent run1All = sdm("run1_run1_3DMC_z_HR_z_RVT_z.sdm");
    EXPECT_EQ(run1All.predictorCount(), 2 + 6 + 2 + 2 + 1);
    EXPECT_EQ(run1All.dataPoints, 150);
    EXPECT_EQ(run1All.names[2], "Translation MN-X [mm]");
    EXPECT_EQ(run1All.names.back(), "Constant");
    const SdmContent run2Some = sdm("run2_run2_3DMC_z_RVT_z.sdm");
    EXPECT_EQ(run2Some.predictorCount(), 2 + 6 + 2 + 1);
    EXPECT_EQ(run2Some.dataPoints, 120);
    EXPECT_EQ(sdm("run3_run3.sdm").names, (std::vector<std::string>{"Objects in LVF", "Constant"}));
    EXPECT_NE(run.out.find("No confounds found for this protocol."), std::string::npos);
}

TEST_F(EndToEnd, OtherAnswersGiveOtherNamesAndPredictors) {
    const ProcessResult run = runMorvane(study.path(), {"--list", "file-list.txt", "--hrf", "boynton", "--value",
                                                        "-2.5", "--skip-first", "no", "--z-transform", "no",
                                                        "--sample", "middle"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("HRF function: Boynton"), std::string::npos);
    const SdmContent run1 = sdm("run1_run1_3DMC_HR_RVT.sdm");
    EXPECT_EQ(run1.predictorCount(), 3 + 6 + 2 + 2 + 1);
    EXPECT_EQ(run1.names.front(), "Rest");
    const SdmContent matrix = sdm("run1_run1.sdm");
    double lowest = 0.0;
    for (int row = 0; row < matrix.dataPoints; ++row) lowest = std::min(lowest, matrix.value(row, 1));
    EXPECT_LT(lowest, -2.0);  // a negative value makes negative responses
    EXPECT_TRUE(fs::exists(at("run2_run2_3DMC_RVT.sdm")));
}

TEST_F(EndToEnd, BrokenCopiesFailTheirProtocolAndNoOther) {
    struct Case {
        const char* what;
        void (*breakStudy)(const ScratchFolder&);
        const char* failedProtocol;
        const char* errorPart;
        const char* untouchedVtc;  // "" when the VTC may be saved
    };
    const Case cases[] = {
        {"protocol without a colour line",
         [](const ScratchFolder& s) {
             std::string text = readFile(s.file("run2.prt"));
             writeFile(s.file("run2.prt"), text.substr(0, text.rfind("Color:")));
         },
         "run2.prt", "colour line", "run2.vtc"},
        {"missing protocol", [](const ScratchFolder& s) { fs::remove(s.file("run3.prt")); }, "run3.prt", "not found",
         "run3.vtc"},
        {"truncated VTC",
         [](const ScratchFolder& s) {
             const std::string bytes = readFile(s.file("run3.vtc"));
             writeFile(s.file("run3.vtc"), bytes.substr(0, bytes.size() - 100));
         },
         "run3.prt", "promises", "run3.vtc"},
        {"VTC with a zero TR",
         [](const ScratchFolder& s) {
             std::string bytes = readFile(s.file("run1.vtc"));
             std::istringstream in(bytes);
             auto header = parseVtcHeader(in);
             bytes.replace(header.value->headerLength - 4, 4, std::string(4, '\0'));
             writeFile(s.file("run1.vtc"), bytes);
         },
         "run1.prt", "TR", "run1.vtc"},
        {"heart rate shorter than the run",
         [](const ScratchFolder& s) {
             std::string text = readFile(s.file("run1_HR.rtc"));
             text.replace(text.find("150"), 3, "100");
             writeFile(s.file("run1_HR.rtc"), text);
         },
         "run1.prt", "run1_run1_3DMC_z_HR_z_RVT_z.sdm", ""},
        {"protocol not followed by its VTC",
         [](const ScratchFolder& s) {
             std::string text = readFile(s.file("file-list.txt"));
             text.replace(text.find("run3.vtc"), 8, "run3.txt");
             writeFile(s.file("file-list.txt"), text);
         },
         "run3.prt", "no VTC follows", "run3.vtc"},
    };
    for (const Case& c : cases) {
        ScratchFolder copy;
        hardening::copyExampleStudy(copy.path());
        c.breakStudy(copy);
        const std::string before = *c.untouchedVtc ? readFile(copy.file(c.untouchedVtc)) : "";
        const ProcessResult run = runMorvane(copy.path(), standardAnswers);
        EXPECT_EQ(run.exitStatus, 1) << c.what << "\n" << run.err;
        const auto summary = run.err.find("1 of 3 protocol(s) failed:");
        ASSERT_NE(summary, std::string::npos) << c.what << "\n" << run.err;
        EXPECT_NE(run.err.find(std::string("  ") + c.failedProtocol + ": ", summary), std::string::npos)
            << c.what << "\n" << run.err;
        EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << c.what << "\n" << run.err;
        if (*c.untouchedVtc) {
            EXPECT_EQ(readFile(copy.file(c.untouchedVtc)), before) << c.what;
        }
        EXPECT_NE(run.out.find("Finished."), std::string::npos) << c.what;
    }
}

TEST_F(EndToEnd, UsageErrorsStopBeforeTheRun) {
    struct Case {
        std::vector<std::string> arguments;
        const char* errorPart;
    };
    const Case cases[] = {
        {{}, "missing --hrf, --value, --skip-first, --z-transform, --list"},
        {{"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1", "--skip-first", "yes"}, "--z-transform"},
        {{"--hrf", "three-gamma"}, "three-gamma"},
        {{"--value", "101"}, "101"},
        {{"--value", "abc"}, "abc"},
        {{"--vmr", "no-such.vmr"}, "no-such.vmr"},
        {{"--vmr", "anatomy.vmr", "--no-vmr"}, "excludes"},
        {{"--unknown"}, "--unknown"},
        {{"--paths-relative-to", "home"}, "home"},
    };
    for (const Case& c : cases) {
        const ProcessResult run = runMorvane(study.path(), c.arguments);
        EXPECT_EQ(run.exitStatus, 2) << c.errorPart << "\n" << run.err;
        EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("Started"), std::string::npos);
    }
    const ProcessResult help = runMorvane(study.path(), {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--hrf-normalise"), std::string::npos);
    EXPECT_EQ(runMorvane(study.path(), {"--version"}).exitStatus, 0);
}

TEST_F(EndToEnd, ThePluginRefusingToRunExitsWithThree) {
    std::vector<std::string> noVmr = standardAnswers;
    noVmr.resize(noVmr.size() - 2);
    noVmr.push_back("--no-vmr");
    const ProcessResult refused = runMorvane(study.path(), noVmr);
    EXPECT_EQ(refused.exitStatus, 3) << refused.err;
    EXPECT_NE(refused.out.find("No VMR present, action cancelled."), std::string::npos);
    EXPECT_NE(refused.err.find("This plugin requires that a VMR document is available and selected in Morvane."),
              std::string::npos);

    std::vector<std::string> old = standardAnswers;
    old.insert(old.end(), {"--host-version", "2.9.4"});
    const ProcessResult tooOld = runMorvane(study.path(), old);
    EXPECT_EQ(tooOld.exitStatus, 3);
    EXPECT_NE(tooOld.err.find("Can not execute this plugin - Morvane version 20 or higher required."),
              std::string::npos);
    std::vector<std::string> noModule = standardAnswers;
    noModule.insert(noModule.end(), {"--plugin", "no-such-module.so"});
    EXPECT_EQ(runMorvane(study.path(), noModule).exitStatus, 3);
    EXPECT_FALSE(fs::exists(at("run1_run1.sdm")));

    std::vector<std::string> oldest = standardAnswers;
    oldest.insert(oldest.end(), {"--host-version", "2.9.5"});
    EXPECT_EQ(runMorvane(study.path(), oldest).exitStatus, 0);

}

TEST_F(EndToEnd, ListsThatCannotBeReadOrNameNoProtocolFail) {
    std::vector<std::string> missing = standardAnswers;
    missing[1] = "no-such-list.txt";
    const ProcessResult missingRun = runMorvane(study.path(), missing);
    EXPECT_EQ(missingRun.exitStatus, 1);
    EXPECT_NE(missingRun.err.find("no-such-list.txt"), std::string::npos);
    writeFile(at("empty-list.txt"), "2\nrun1.vtc\nnotes.txt\n");
    std::vector<std::string> empty = standardAnswers;
    empty[1] = "empty-list.txt";
    const ProcessResult emptyRun = runMorvane(study.path(), empty);
    EXPECT_EQ(emptyRun.exitStatus, 1);
    EXPECT_NE(emptyRun.err.find("names no protocol"), std::string::npos);
}

// The file list's relative entries name files beside the list, from wherever morvane starts;
// morvane's own relative paths mean what they mean where it starts.
TEST_F(EndToEnd, AListFromAnotherFolderFindsItsEntriesBesideIt) {
    ScratchFolder elsewhere;
    const std::string vmrFromElsewhere = fs::relative(at("anatomy.vmr"), elsewhere.path()).string();
    std::vector<std::string> arguments = standardAnswers;
    arguments[1] = at("file-list.txt");
    arguments.back() = vmrFromElsewhere;
    arguments.insert(arguments.end(), {"--log", "morvane.log"});

    const ProcessResult run = runMorvane(elsewhere.path(), arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("all 3 protocol(s) converted"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(elsewhere.file("morvane.log")), run.out);
    EXPECT_FALSE(fs::exists(at("morvane.log")));

    // The same run from inside the study gives the same files.
    ScratchFolder inside;
    hardening::copyExampleStudy(inside.path());
    const ProcessResult reference = runMorvane(inside.path(), standardAnswers);
    ASSERT_EQ(reference.exitStatus, 0) << reference.err;
    EXPECT_EQ(run.out, reference.out);
    for (const char* name : {"run1_run1.sdm", "run1_run1_3DMC_z_HR_z_RVT_z.sdm", "run2_run2_3DMC_z_RVT_z.sdm",
                             "run3_run3.sdm", "run1.vtc", "run3.vtc"})
        EXPECT_EQ(readFile(at(name)), readFile(inside.file(name))) << name;
}

TEST_F(EndToEnd, EntriesRelativeToTheCurrentFolderOnRequestAndAbsoluteEntriesEitherWay) {
    ScratchFolder elsewhere;
    std::vector<std::string> fromElsewhere = standardAnswers;
    fromElsewhere[1] = at("file-list.txt");
    fromElsewhere.back() = at("anatomy.vmr");
    std::vector<std::string> cwdEntries = fromElsewhere;
    cwdEntries.insert(cwdEntries.end(), {"--paths-relative-to", "cwd"});

    // Taken from the current folder, the entries are not found there.
    const ProcessResult notFound = runMorvane(elsewhere.path(), cwdEntries);
    EXPECT_EQ(notFound.exitStatus, 1) << notFound.err;
    EXPECT_NE(notFound.err.find("cannot link run1.vtc"), std::string::npos) << notFound.err;
    EXPECT_NE(notFound.err.find("3 of 3 protocol(s) failed"), std::string::npos) << notFound.err;
    EXPECT_FALSE(fs::exists(at("run1_run1.sdm")));

    // Entries that name the study from the current folder are found so, and not beside the list
    // (the current folder lies deeper than the study's, so the two ways part).
    const std::string deeper = elsewhere.file("a/b");
    fs::create_directories(deeper);
    const std::string fromCwd = fs::relative(study.path(), deeper).string();
    std::string list = readFile(at("file-list.txt"));
    std::string prefixed;
    std::istringstream lines(list);
    std::string line;
    for (bool first = true; std::getline(lines, line); first = false)
        prefixed += (first ? line : fromCwd + "/" + line) + "\n";
    writeFile(at("list-from-cwd.txt"), prefixed);
    cwdEntries[1] = at("list-from-cwd.txt");
    const ProcessResult found = runMorvane(deeper, cwdEntries);
    EXPECT_EQ(found.exitStatus, 0) << found.err;
    std::vector<std::string> besideList = cwdEntries;
    besideList.resize(besideList.size() - 2);
    EXPECT_EQ(runMorvane(deeper, besideList).exitStatus, 1);

    // Absolute entries are found in both ways.
    std::string absolute;
    std::istringstream again(list);
    for (bool first = true; std::getline(again, line); first = false)
        absolute += (first ? line : study.path() + "/" + line) + "\n";
    writeFile(at("absolute-list.txt"), absolute);
    for (const char* relativeTo : {"list", "cwd"}) {
        std::vector<std::string> arguments = fromElsewhere;
        arguments[1] = at("absolute-list.txt");
        arguments.insert(arguments.end(), {"--paths-relative-to", relativeTo});
        const ProcessResult run = runMorvane(elsewhere.path(), arguments);
        EXPECT_EQ(run.exitStatus, 0) << relativeTo << "\n" << run.err;
    }
}

// morvane --version names morvane's version and the plugin's, from the module it finds: in an
// installation's lib/quorvel beside bin, else beside the program, else none (exit status 3).
TEST_F(EndToEnd, TheVersionNamesThePluginFoundFromTheProgramsFolder) {
    const ProcessResult here = runMorvane(study.path(), {"--version"});
    ASSERT_EQ(here.exitStatus, 0) << here.err;
    const auto firstLineEnd = here.out.find('\n');
    ASSERT_EQ(here.out.rfind("morvane ", 0), 0u) << here.out;
    const std::string version = here.out.substr(8, firstLineEnd - 8);
    EXPECT_NE(here.out.find("plugin: quorvel (v" + version + "), version " + version + ", from "), std::string::npos)
        << here.out;
    EXPECT_NE(here.out.find("as Morvane 20.6.0"), std::string::npos) << here.out;

    ScratchFolder installation;
    const fs::path program = fs::path(installation.path()) / "bin" / "morvane";
    const fs::path module = fs::path(installation.path()) / "lib" / "quorvel" / "quorvel.so";
    fs::create_directories(program.parent_path());
    fs::create_directories(module.parent_path());
    fs::copy_file(MORVANE_PROGRAM, program);
    fs::copy_file(fs::path(MORVANE_PROGRAM).parent_path() / "quorvel.so", module);
    const auto versionOf = [&](const fs::path& morvaneProgram) {
        return runMorvane(study.path(), {"--version"}, morvaneProgram.string());
    };
    const ProcessResult installed = versionOf(program);
    EXPECT_EQ(installed.exitStatus, 0) << installed.err;
    EXPECT_NE(installed.out.find("from " + module.string() + "\n"), std::string::npos) << installed.out;

    fs::remove(module);
    const ProcessResult none = versionOf(program);
    EXPECT_EQ(none.exitStatus, 3) << none.out;
    EXPECT_NE(none.err.find("no plugin module at " + module.string() + " or " + program.parent_path().string() +
                            "/quorvel.so"),
              std::string::npos)
        << none.err;

    fs::copy_file(fs::path(MORVANE_PROGRAM).parent_path() / "quorvel.so", program.parent_path() / "quorvel.so");
    const ProcessResult beside = versionOf(program);
    EXPECT_EQ(beside.exitStatus, 0) << beside.err;
    EXPECT_NE(beside.out.find("from " + (program.parent_path() / "quorvel.so").string()), std::string::npos)
        << beside.out;
}

TEST_F(EndToEnd, RunsOnDifferentListsAtOnceDoNotDisturbEachOther) {
    ScratchFolder other;
    hardening::copyExampleStudy(other.path());
    auto first = std::async(std::launch::async, [&] { return runMorvane(study.path(), standardAnswers); });
    const ProcessResult b = runMorvane(other.path(), standardAnswers);
    const ProcessResult a = first.get();
    EXPECT_EQ(a.exitStatus, 0) << a.err;
    EXPECT_EQ(b.exitStatus, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(readFile(at("run1_run1_3DMC_z_HR_z_RVT_z.sdm")), readFile(other.file("run1_run1_3DMC_z_HR_z_RVT_z.sdm")));
}

}  // namespace
}  // namespace morvane
