// The headless host's documents and services: the anatomical document, the linked VTC with
// its protocol, the design matrix, the log pane and the dialogs. The exported entry points
// are thin wrappers around one session.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "headless/designMatrix.h"
#include "headless/dialogs.h"
#include "headless/hostRecordLayout.h"
#include "formats/protocolFile.h"
#include "headless/responseFunction.h"
#include "formats/vtcFile.h"

namespace morvane {

// A log pane entry with the number of VTCs linked when it came, which tells the protocol
// group it belongs to.
struct LoggedEntry {
    std::size_t linkedVtcs = 0;
    std::string text;
};

// The log pane: every entry goes to standard output as it comes, followed by a line end and
// flushed, and to the log file when there is one; kept as well when asked, for the work after
// the run.
class LogPane {
public:
    LogPane(std::ostream& out, std::ostream* file) : out_(out), file_(file) {}
    void entry(std::string_view text, std::size_t linkedVtcs = 0);
    void keepEntries() { keep_ = true; }
    const std::vector<LoggedEntry>& entries() const { return entries_; }

private:
    std::ostream& out_;
    std::ostream* file_;
    bool keep_ = false;
    std::vector<LoggedEntry> entries_;
};

enum class AnatomyKind { None, Empty, File };

struct HostOptions {
    AnatomyKind anatomy = AnatomyKind::Empty;
    std::string vmrPath;  // for AnatomyKind::File
    Convention convention;
    std::array<int, 3> version{20, 6, 0};
    bool showProgress = false;  // a line per protocol group on standard error
    // The file dialog makes the chosen list's folder the working folder, so that the
    // plugin finds the list's relative entries beside it.
    bool entriesBesideList = false;
};

// One SDM file as it stood before a save beside it, to tell which files a run wrote.
struct FileStamp {
    std::string name;
    dev_t device = 0;
    ino_t inode = 0;
    long long modifiedNs = 0;
    long long size = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

std::optional<FileStamp> stampOf(const std::string& path);

struct SavedDesignMatrix {
    std::string path;
    std::vector<std::string> predictorNames;
    int dataPoints = 0;
    bool includesConstant = false;
    std::vector<FileStamp> sdmFilesBefore;  // SDM files beside it that share its stem
};

// What happened to one linked VTC, from its linking to the next.
struct GroupRecord {
    std::string vtcPath;
    bool linked = false;
    std::string protocolName;  // the attached protocol's file name; "" when none
    std::string protocolPath;
    std::vector<std::string> conditionNames;
    std::vector<SavedDesignMatrix> designMatrices;
    bool vtcSaved = false;
};

class HostSession {
public:
    HostSession(HostOptions options, Dialogs& dialogs, LogPane& log, std::ostream& err);
    // Removes the superseded VTC kept for the next save.
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    const HostOptions& options() const { return options_; }
    const std::vector<GroupRecord>& groups() const { return groups_; }
    // The file list the user chose in the file dialog, if any.
    const std::optional<std::string>& chosenList() const { return chosenList_; }

    // Log pane and dialogs.
    void logText(const char* text);
    void messageBox(const char* text);
    int yesNo(const char* question);
    float floatInput(const char* prompt, float initial, float lowest, float highest);
    int openFileName(const char* title, const char* filter, char* pathBuffer512);

    // Documents.
    void* currentVmr(int* dimX, int* dimY, int* dimZ);
    int linkVtc(const char* path);
    int getVtcHeader(VtcHeader* header);
    int setVtcHeader(const VtcHeader* header);
    int saveVtc(const char* path);

    // Protocol.
    void clearProtocol();
    int getProtocol(ProtocolRecord* record);
    int getProtocolCondition(int index, ProtocolConditionRecord* record);

    // Design matrix.
    int clearDesignMatrix();
    int addPredictor(const char* name);
    int setPredictorValuesFromConditionName(const char* predictorName, const char* conditionName, float value);
    int applyResponseFunction(const char* predictorName, ResponseFunction function);
    float* getPredictor(int index);
    int saveDesignMatrix(const char* path);

private:
    struct AttachedProtocol {
        Protocol protocol;
        std::string path;
        std::string name;
        std::vector<std::vector<std::int32_t>> starts, ends;  // the host's interval arrays
    };
    struct LinkedVtc {
        std::string path;
        VtcFileHeader header;
        std::optional<AttachedProtocol> protocol;
    };

    void problem(const std::string& text);
    std::string workBesideList(const std::string& listPath);
    void detachProtocol();
    RunTiming timing() const;
    std::optional<std::string> findProtocolFile(const std::string& name) const;
    GroupRecord* currentGroup();

    HostOptions options_;
    Dialogs& dialogs_;
    LogPane& log_;
    std::ostream& err_;
    std::optional<LinkedVtc> vtc_;
    DesignMatrix designMatrix_;
    std::vector<GroupRecord> groups_;
    std::optional<std::string> chosenList_;
    int expectedGroups_ = 0;
    int anatomyDocument_ = 0;  // its address stands for the open anatomical document
};

}  // namespace morvane
