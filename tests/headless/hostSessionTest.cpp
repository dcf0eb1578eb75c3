#include "headless/hostSession.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <sstream>

#include "formats/sdmFile.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

class HostSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        vtcPath = folder.file("run.vtc");
        original = testing::vtcFileBytes(testing::smallVtcHeader(10, 2000.0f), "TRAILER");
        writeFile(vtcPath, original);
    }

    HostSession& session(AnatomyKind anatomy = AnatomyKind::Empty, const std::string& vmr = "") {
        HostOptions options;
        options.anatomy = anatomy;
        options.vmrPath = vmr;
        session_ = std::make_unique<HostSession>(options, dialogs, log, err);
        return *session_;
    }

    // Links the VTC and names the protocol in its header; the result of setting the header.
    int attach(HostSession& host, const std::string& name) {
        EXPECT_EQ(host.linkVtc(vtcPath.c_str()), 1) << err.str();
        VtcHeader header{};
        EXPECT_EQ(host.getVtcHeader(&header), 1);
        std::strcpy(header.protocolName, name.c_str());
        return host.setVtcHeader(&header);
    }

    std::string dataAfterHeader(const std::string& bytes) {
        std::istringstream in(bytes);
        auto header = parseVtcHeader(in);
        return bytes.substr(header.value->headerLength);
    }

    ScratchFolder folder;
    std::string vtcPath;
    std::string original;
    std::istringstream in;
    std::ostringstream out, err;
    Dialogs dialogs{Answers{}, false, in, err};
    LogPane log{out, nullptr};
    std::unique_ptr<HostSession> session_;
};

TEST_F(HostSessionTest, LinkingFillsTheHeaderRecordAndRefusesBrokenFiles) {
    HostSession& host = session();
    ASSERT_EQ(host.linkVtc(vtcPath.c_str()), 1);
    VtcHeader header{};
    std::memset(&header, 0x5A, sizeof header);
    ASSERT_EQ(host.getVtcHeader(&header), 1);
    EXPECT_EQ(header.numberOfVolumes, 10);
    EXPECT_FLOAT_EQ(header.repetitionTimeMs, 2000.0f);
    EXPECT_EQ(header.protocolName[0], '\0');
    writeFile(folder.file("short.vtc"), original.substr(0, 60));
    EXPECT_EQ(host.linkVtc(folder.file("short.vtc").c_str()), 0);
    EXPECT_NE(err.str().find("short.vtc"), std::string::npos);
    EXPECT_EQ(host.linkVtc(folder.file("missing.vtc").c_str()), 0);
    ASSERT_EQ(host.groups().size(), 3u);
    EXPECT_TRUE(host.groups()[0].linked);
    EXPECT_FALSE(host.groups()[1].linked);
}

TEST_F(HostSessionTest, WithoutAnAnatomicalDocumentNothingLinks) {
    HostSession& host = session(AnatomyKind::None);
    int x = 1, y = 1, z = 1;
    EXPECT_EQ(host.currentVmr(&x, &y, &z), nullptr);
    EXPECT_EQ(host.linkVtc(vtcPath.c_str()), 0);
    EXPECT_NE(session(AnatomyKind::Empty).currentVmr(&x, &y, &z), nullptr);
}

TEST_F(HostSessionTest, AttachedProtocolFillsTheRecordsAndSavingKeepsTheData) {
    writeFile(folder.file("run.prt"), testing::volumesProtocol);
    ASSERT_EQ(::chmod(vtcPath.c_str(), 0604), 0);
    HostSession& host = session();
    ASSERT_EQ(attach(host, "run.prt"), 1) << err.str();

    ProtocolRecord protocol{};
    ASSERT_EQ(host.getProtocol(&protocol), 1);
    EXPECT_EQ(protocol.numberOfConditions, 2);
    EXPECT_STREQ(protocol.protocolFileName, folder.file("run.prt").c_str());
    EXPECT_STREQ(protocol.experimentName, "Blocks, two");
    EXPECT_EQ(protocol.timeResolution, 1);
    EXPECT_EQ(protocol.textColor, 0xFFFFCA);
    EXPECT_EQ(protocol.timeCoursePenThickness, 3);
    ProtocolConditionRecord condition{};
    ASSERT_EQ(host.getProtocolCondition(1, &condition), 1);
    EXPECT_STREQ(condition.conditionName, "Task A");
    ASSERT_EQ(condition.numberOfIntervals, 2);
    EXPECT_EQ(condition.intervalStarts[1], 9);
    EXPECT_EQ(condition.intervalEnds[0], 8);
    EXPECT_EQ(condition.conditionColor, 0xFF8000);
    EXPECT_EQ(host.getProtocolCondition(2, &condition), 0);
    EXPECT_EQ(host.getProtocolCondition(-1, &condition), 0);

    ASSERT_EQ(host.saveVtc(vtcPath.c_str()), 1) << err.str();
    const std::string saved = readFile(vtcPath);
    EXPECT_EQ(dataAfterHeader(saved), dataAfterHeader(original));
    auto header = readVtcHeader(vtcPath);
    ASSERT_TRUE(header) << header.error;
    EXPECT_EQ(header.value->protocolNames, std::vector<std::string>{"run.prt"});
    struct stat status {};
    ASSERT_EQ(::stat(vtcPath.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_TRUE(host.groups().back().vtcSaved);
    // Saving again, now with the protocol already in the header, changes nothing.
    ASSERT_EQ(host.saveVtc(vtcPath.c_str()), 1);
    EXPECT_EQ(readFile(vtcPath), saved);
}

TEST_F(HostSessionTest, TheProtocolIsLookedForBesideTheVmrToo) {
    ScratchFolder anatomyFolder;
    writeFile(anatomyFolder.file("anatomy.vmr"), "vmr");
    writeFile(anatomyFolder.file("elsewhere.prt"), testing::volumesProtocol);
    HostSession& host = session(AnatomyKind::File, anatomyFolder.file("anatomy.vmr"));
    EXPECT_EQ(attach(host, "elsewhere.prt"), 1) << err.str();
    EXPECT_EQ(host.groups().back().protocolPath, anatomyFolder.file("elsewhere.prt"));
}

TEST_F(HostSessionTest, AProtocolThatCannotBeAttachedLeavesTheVtcUntouched) {
    writeFile(folder.file("broken.prt"), "NrOfConditions: 1\nA\n1\n1 2\n");
    writeFile(folder.file("long.prt"), "NrOfConditions: 1\n" + std::string(300, 'n') + "\n0\nColor: 1 2 3\n");
    struct Case {
        const char* name;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"missing.prt", "not found"},
        {"broken.prt", "line 5: expected the colour line"},
        {"long.prt", "longer than the 255 characters"},
        {"sub/run.prt", "holds a folder"},
    };
    for (const Case& c : cases) {
        HostSession& host = session();
        err.str("");
        EXPECT_EQ(attach(host, c.name), 0) << c.name;
        EXPECT_NE(err.str().find(c.reasonPart), std::string::npos) << c.name << ": " << err.str();
        ProtocolRecord protocol{};
        EXPECT_EQ(host.getProtocol(&protocol), 0) << c.name;
        EXPECT_EQ(host.saveVtc(vtcPath.c_str()), 0) << c.name;
        EXPECT_EQ(readFile(vtcPath), original) << c.name;
        EXPECT_TRUE(host.groups().back().protocolName.empty()) << c.name;
    }
}

TEST_F(HostSessionTest, AProtocolPathLongerThanItsRecordFieldIsRefusedNotCut) {
    std::string deep = folder.path();
    while (deep.size() < 300) {
        deep += "/" + std::string(40, 'd');
        ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
    }
    vtcPath = deep + "/run.vtc";
    writeFile(vtcPath, original);
    writeFile(deep + "/run.prt", testing::volumesProtocol);
    HostSession& host = session();
    EXPECT_EQ(attach(host, "run.prt"), 0);
    EXPECT_NE(err.str().find("longer than the 260 characters"), std::string::npos) << err.str();
    EXPECT_EQ(host.saveVtc(vtcPath.c_str()), 0);
    EXPECT_EQ(readFile(vtcPath), original);
}

TEST_F(HostSessionTest, AnUnterminatedProtocolNameIsRefused) {
    HostSession& host = session();
    ASSERT_EQ(host.linkVtc(vtcPath.c_str()), 1);
    VtcHeader header{};
    host.getVtcHeader(&header);
    std::memset(header.protocolName, 'a', sizeof header.protocolName);
    EXPECT_EQ(host.setVtcHeader(&header), 0);
    EXPECT_EQ(host.saveVtc(vtcPath.c_str()), 0);
    EXPECT_EQ(readFile(vtcPath), original);
}

TEST_F(HostSessionTest, DesignMatrixIsMadeConvolvedAndSaved) {
    writeFile(folder.file("run.prt"), testing::volumesProtocol);
    HostSession& host = session();
    ASSERT_EQ(attach(host, "run.prt"), 1) << err.str();
    host.clearDesignMatrix();
    ASSERT_EQ(host.addPredictor("Task A"), 1);
    ASSERT_EQ(host.setPredictorValuesFromConditionName("Task A", "Task A", 2.0f), 1);
    const float* plain = host.getPredictor(0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain[4], 0.0f);
    EXPECT_EQ(plain[5], 2.0f);  // volume 6, counted from 1
    ASSERT_EQ(host.applyResponseFunction("Task A", ResponseFunction::TwoGamma), 1);
    EXPECT_EQ(host.setPredictorValuesFromConditionName("Task A", "No such", 1.0f), 0);
    EXPECT_EQ(host.applyResponseFunction("No such", ResponseFunction::Boynton), 0);
    ASSERT_EQ(host.addPredictor("Constant"), 1);
    float* constant = host.getPredictor(1);
    ASSERT_NE(constant, nullptr);
    for (int i = 0; i < 10; ++i) constant[i] = 1.0f;
    EXPECT_EQ(host.getPredictor(2), nullptr);

    ASSERT_EQ(host.saveDesignMatrix(folder.file("run_run.sdm").c_str()), 1) << err.str();
    auto sdm = readSdmFile(folder.file("run_run.sdm"));
    ASSERT_TRUE(sdm) << sdm.error;
    EXPECT_EQ(sdm.value->names, (std::vector<std::string>{"Task A", "Constant"}));
    EXPECT_EQ(sdm.value->dataPoints, 10);
    EXPECT_EQ(sdm.value->includesConstant, 1);
    EXPECT_EQ(sdm.value->firstConfoundPredictor, 2);
    EXPECT_EQ(sdm.value->colors, (std::vector<Rgb>{{255, 128, 0}, {255, 255, 255}}));
    EXPECT_EQ(sdm.value->value(9, 1), 1.0);
    EXPECT_GT(sdm.value->value(9, 0), 0.5);
    ASSERT_EQ(host.groups().back().designMatrices.size(), 1u);
    EXPECT_EQ(host.groups().back().designMatrices[0].predictorNames, sdm.value->names);
}

TEST_F(HostSessionTest, TheLogPaneWritesEachEntryAsLines) {
    std::ostringstream file;
    LogPane pane(out, &file);
    pane.entry("one");
    pane.entry("two\nthree");
    EXPECT_EQ(out.str(), "one\ntwo\nthree\n");
    EXPECT_EQ(file.str(), out.str());
}

}  // namespace
}  // namespace morvane
