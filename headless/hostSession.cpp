#include "headless/hostSession.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>

#include "headless/atomicReplace.h"
#include "formats/fileDescriptor.h"
#include "formats/fileList.h"
#include "formats/openForReading.h"
#include "formats/textFormat.h"

namespace morvane {
namespace {

// Copies a text into a fixed field with its NUL, or refuses when it does not fit.
template <std::size_t Size>
bool copyIntoField(char (&field)[Size], const std::string& text) {
    if (text.size() + 1 > Size) return false;
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string stemOf(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

// The SDM files in the folder whose names start with the stem.
std::vector<FileStamp> sdmFilesBeside(const std::string& path) {
    std::vector<FileStamp> stamps;
    const std::string folder = folderOf(path);
    const std::string stem = stemOf(lastComponent(path));
    std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!directory) return stamps;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".sdm") != 0 || name.compare(0, stem.size(), stem) != 0)
            continue;
        if (auto stamp = stampOf(joinPath(folder, name))) stamps.push_back(*stamp);
    }
    return stamps;
}

}  // namespace

#if !defined(_WIN32)  // Windows: fileStampWindows.cpp
std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    FileStamp stamp;
    stamp.name = lastComponent(path);
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.modifiedNs = static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    stamp.size = static_cast<long long>(status.st_size);
    return stamp;
}
#endif

void LogPane::entry(std::string_view text, std::size_t linkedVtcs) {
    out_ << text << '\n' << std::flush;
    if (file_ != nullptr) *file_ << text << '\n' << std::flush;
    if (keep_) entries_.push_back({linkedVtcs, std::string(text)});
}

HostSession::HostSession(HostOptions options, Dialogs& dialogs, LogPane& log, std::ostream& err)
    : options_(std::move(options)), dialogs_(dialogs), log_(log), err_(err) {}

HostSession::~HostSession() { removeKeptFile(); }

void HostSession::problem(const std::string& text) { err_ << "morvane: " << text << '\n' << std::flush; }

GroupRecord* HostSession::currentGroup() { return groups_.empty() ? nullptr : &groups_.back(); }

RunTiming HostSession::timing() const {
    if (!vtc_) return {};
    return {vtc_->header.repetitionTimeMs / 1000.0, vtc_->header.numberOfVolumes};
}

void HostSession::logText(const char* text) { log_.entry(text != nullptr ? text : "", groups_.size()); }

void HostSession::messageBox(const char* text) {
    err_ << "morvane: [message] " << (text != nullptr ? text : "") << '\n' << std::flush;
}

int HostSession::yesNo(const char* question) { return dialogs_.yesNo(question != nullptr ? question : ""); }

float HostSession::floatInput(const char* prompt, float initial, float lowest, float highest) {
    return dialogs_.floatInput(prompt != nullptr ? prompt : "", initial, lowest, highest);
}

// Like a desktop file dialog that leaves the working folder where the chosen file is: the
// list's folder becomes the working folder, and the list is handed over by its name. Where
// the folder cannot be entered, nothing changes (the list cannot be read there either).
std::string HostSession::workBesideList(const std::string& listPath) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(listPath).parent_path();
    if (folder.empty() || fs::path(listPath).filename().empty()) return listPath;
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        problem("cannot work in the folder of the file list " + listPath + ": " + error.message());
        return listPath;
    }
    return fs::path(listPath).filename().string();
}

int HostSession::openFileName(const char* title, const char* filter, char* pathBuffer512) {
    if (pathBuffer512 == nullptr) return 0;
    const auto path = dialogs_.openFileName(title != nullptr ? title : "", filter != nullptr ? filter : "");
    if (!path) return 0;
    if (path->size() > 511) {
        problem("the chosen path is longer than the dialog's 511 characters: " + *path);
        return 0;
    }
    std::string chosen = *path;
    const bool isList = std::string_view(title != nullptr ? title : "") == fileListTitle;
    if (isList && options_.entriesBesideList) chosen = workBesideList(chosen);
    std::memcpy(pathBuffer512, chosen.c_str(), chosen.size() + 1);
    if (isList) {
        chosenList_ = chosen;
        if (auto list = readFileList(chosen)) expectedGroups_ = static_cast<int>(list.value->groups.size());
    }
    return 1;
}

void* HostSession::currentVmr(int* dimX, int* dimY, int* dimZ) {
    for (int* dimension : {dimX, dimY, dimZ}) {
        if (dimension != nullptr) *dimension = 0;
    }
    return options_.anatomy == AnatomyKind::None ? nullptr : &anatomyDocument_;
}

int HostSession::linkVtc(const char* pathText) {
    const std::string path = pathText != nullptr ? pathText : "";
    GroupRecord record;
    record.vtcPath = path;
    groups_.push_back(std::move(record));
    if (options_.showProgress) {
        err_ << formatText("morvane: [%zu/%d] %s\n", groups_.size(), expectedGroups_, path.c_str()) << std::flush;
    }
    if (options_.anatomy == AnatomyKind::None) {
        problem("cannot link " + path + ": no anatomical document is open");
        return 0;
    }
    ParseResult<VtcFileHeader> header = readVtcHeader(path);
    if (!header) {
        problem("cannot link " + path + ": " + header.error);
        return 0;
    }
    vtc_ = LinkedVtc{path, std::move(*header.value), std::nullopt};
    groups_.back().linked = true;
    return 1;
}

int HostSession::getVtcHeader(VtcHeader* record) {
    if (record == nullptr) return 0;
    if (!vtc_) {
        problem("no VTC is linked, so there is no header to give");
        return 0;
    }
    const VtcFileHeader& header = vtc_->header;
    std::memset(record, 0, sizeof *record);
    record->fileVersion = static_cast<std::int16_t>(header.version);
    record->dataType = static_cast<std::int16_t>(header.dataType);
    record->numberOfVolumes = header.numberOfVolumes;
    record->resolution = header.resolution;
    record->xStart = header.bounds[0];
    record->xEnd = header.bounds[1];
    record->yStart = header.bounds[2];
    record->yEnd = header.bounds[3];
    record->zStart = header.bounds[4];
    record->zEnd = header.bounds[5];
    record->repetitionTimeMs = header.repetitionTimeMs;
    record->leftRightConvention = static_cast<std::uint8_t>(header.leftRightConvention);
    record->referenceSpace = static_cast<std::uint8_t>(header.referenceSpace);
    std::string name;
    if (vtc_->protocol) {
        name = vtc_->protocol->name;
    } else if (header.currentProtocol >= 0 &&
               static_cast<std::size_t>(header.currentProtocol) < header.protocolNames.size()) {
        name = header.protocolNames[static_cast<std::size_t>(header.currentProtocol)];
    }
    if (!copyIntoField(record->protocolName, name)) record->protocolName[0] = '\0';
    return 1;
}

std::optional<std::string> HostSession::findProtocolFile(const std::string& name) const {
    const std::string besideVtc = joinPath(folderOf(vtc_->path), name);
    if (isRegularFile(besideVtc)) return besideVtc;
    if (options_.anatomy == AnatomyKind::File) {
        const std::string besideVmr = joinPath(folderOf(options_.vmrPath), name);
        if (isRegularFile(besideVmr)) return besideVmr;
    }
    return std::nullopt;
}

void HostSession::detachProtocol() {
    if (vtc_) vtc_->protocol.reset();
    if (GroupRecord* group = currentGroup()) {
        group->protocolName.clear();
        group->protocolPath.clear();
        group->conditionNames.clear();
    }
}

int HostSession::setVtcHeader(const VtcHeader* record) {
    if (record == nullptr) return 0;
    if (!vtc_) {
        problem("no VTC is linked, so its header cannot be set");
        return 0;
    }
    const void* end = std::memchr(record->protocolName, '\0', sizeof record->protocolName);
    if (end == nullptr) {
        detachProtocol();
        problem(formatText("the protocol name in the header of %s is not terminated within its %zu-byte field; "
                           "the VTC keeps no protocol",
                           vtc_->path.c_str(), sizeof record->protocolName));
        return 0;
    }
    const std::string name(record->protocolName);
    if (name.empty()) {
        detachProtocol();
        return 1;
    }
    const std::string refusal = "the VTC " + vtc_->path + " keeps no protocol: ";
    if (name.find('/') != std::string::npos) {
        detachProtocol();
        problem(refusal + "the protocol name \"" + name + "\" holds a folder; a file name was expected");
        return 0;
    }
    const auto path = findProtocolFile(name);
    if (!path) {
        detachProtocol();
        std::string places = "beside the VTC (in " + (folderOf(vtc_->path).empty() ? "." : folderOf(vtc_->path)) + ")";
        if (options_.anatomy == AnatomyKind::File)
            places += " nor beside the VMR (in " + (folderOf(options_.vmrPath).empty() ? "." : folderOf(options_.vmrPath)) + ")";
        problem(refusal + "the protocol " + name + " is not found " + places);
        return 0;
    }
    std::vector<std::string> warnings;
    ParseResult<Protocol> parsed = readProtocolFile(*path, warnings);
    for (const std::string& warning : warnings) problem("warning: " + warning);
    if (!parsed) {
        detachProtocol();
        problem(refusal + parsed.error);
        return 0;
    }
    // Everything the protocol records will carry has to fit their fields whole.
    ProtocolRecord probe{};
    ProtocolConditionRecord conditionProbe{};
    if (!copyIntoField(probe.protocolFileName, *path)) {
        detachProtocol();
        problem(refusal + formatText("the protocol's path %s is longer than the %zu characters its record holds",
                                     path->c_str(), sizeof probe.protocolFileName - 1));
        return 0;
    }
    if (!copyIntoField(probe.experimentName, parsed.value->experiment)) {
        detachProtocol();
        problem(refusal + formatText("%s: the experiment name is longer than the %zu characters its record holds",
                                     path->c_str(), sizeof probe.experimentName - 1));
        return 0;
    }
    for (const ProtocolCondition& condition : parsed.value->conditions) {
        if (!copyIntoField(conditionProbe.conditionName, condition.name)) {
            detachProtocol();
            problem(refusal + formatText("%s: the condition name \"%s\" is longer than the %zu characters its record "
                                         "holds",
                                         path->c_str(), condition.name.c_str(), sizeof conditionProbe.conditionName - 1));
            return 0;
        }
        // A design matrix quotes its names and has no way to write a quote inside one.
        if (condition.name.find('"') != std::string::npos) {
            detachProtocol();
            problem(refusal + formatText("%s: the condition name %s holds a double quote, which a design matrix "
                                         "cannot store",
                                         path->c_str(), visibleText(condition.name).c_str()));
            return 0;
        }
    }
    for (const std::string& warning : intervalsOutsideRun(*parsed.value, timing()))
        problem("warning: " + *path + ": " + warning);

    AttachedProtocol attached{std::move(*parsed.value), *path, name, {}, {}};
    for (const ProtocolCondition& condition : attached.protocol.conditions) {
        std::vector<std::int32_t> starts, ends;
        for (const ProtocolInterval& interval : condition.intervals) {
            starts.push_back(interval.start);
            ends.push_back(interval.end);
        }
        attached.starts.push_back(std::move(starts));
        attached.ends.push_back(std::move(ends));
    }
    if (GroupRecord* group = currentGroup()) {
        group->protocolName = name;
        group->protocolPath = *path;
        group->conditionNames.clear();
        for (const ProtocolCondition& condition : attached.protocol.conditions)
            group->conditionNames.push_back(condition.name);
    }
    vtc_->protocol = std::move(attached);
    return 1;
}

int HostSession::saveVtc(const char* pathText) {
    const std::string destination = pathText != nullptr ? pathText : "";
    if (!vtc_) {
        problem("no VTC is linked, so none can be saved");
        return 0;
    }
    if (!vtc_->protocol) {
        problem("the VTC " + destination + " is left untouched: no protocol is attached to it");
        return 0;
    }
    // The file may have changed since it was linked; its header is read again.
    ParseResult<VtcFileHeader> current = readVtcHeader(vtc_->path);
    if (!current) {
        problem("cannot save " + destination + ": " + vtc_->path + ": " + current.error);
        return 0;
    }
    FileDescriptor source(openForReading(vtc_->path));
    if (!source.valid()) {
        problem("cannot save " + destination + ": cannot open " + vtc_->path + ": " + std::strerror(errno));
        return 0;
    }
    const VtcFileHeader updated = withProtocol(*current.value, vtc_->protocol->name);
    const std::string headerBytes = vtcHeaderBytes(updated);
    const std::string failure = replaceFileAtomically(destination, [&](int fd) {
        std::string why = writeAll(fd, headerBytes.data(), headerBytes.size());
        if (why.empty()) why = copyFileTail(source.get(), static_cast<off_t>(current.value->headerLength), fd);
#if defined(_WIN32)
        source.close();  // Windows replaces no file that is still open
#endif
        return why;
    }, 0644, SupersededFile::Reuse);
    // The replaced file is freed when its last descriptor closes, out of the batch's way.
    closeReplacedFile(source.release());
    if (!failure.empty()) {
        problem("cannot save " + destination + ": " + failure);
        return 0;
    }
    if (destination == vtc_->path) {
        vtc_->header = updated;
        vtc_->header.headerLength = headerBytes.size();
    }
    if (GroupRecord* group = currentGroup(); group != nullptr && group->vtcPath == destination) group->vtcSaved = true;
    return 1;
}

void HostSession::clearProtocol() { detachProtocol(); }

int HostSession::getProtocol(ProtocolRecord* record) {
    if (record == nullptr) return 0;
    if (!vtc_ || !vtc_->protocol) {
        problem("no protocol is attached to a linked VTC");
        return 0;
    }
    const AttachedProtocol& attached = *vtc_->protocol;
    const Protocol& protocol = attached.protocol;
    std::memset(record, 0, sizeof *record);
    record->numberOfConditions = static_cast<std::int32_t>(protocol.conditions.size());
    if (!copyIntoField(record->protocolFileName, attached.path) ||
        !copyIntoField(record->experimentName, protocol.experiment)) {
        std::memset(record, 0, sizeof *record);
        problem("the protocol's path or experiment name does not fit its record");
        return 0;
    }
    record->timeResolution = protocol.inMilliseconds ? 2 : 1;
    record->backgroundColor = packedColor(protocol.backgroundColor);
    record->textColor = packedColor(protocol.textColor);
    record->timeCourseColor = packedColor(protocol.timeCourseColor);
    record->timeCoursePenThickness = protocol.timeCourseThickness;
    record->referenceTimeCourseColor = packedColor(protocol.referenceFunctionColor);
    record->referenceTimeCoursePenThickness = protocol.referenceFunctionThickness;
    return 1;
}

int HostSession::getProtocolCondition(int index, ProtocolConditionRecord* record) {
    if (record == nullptr) return 0;
    if (!vtc_ || !vtc_->protocol) {
        problem("no protocol is attached to a linked VTC");
        return 0;
    }
    AttachedProtocol& attached = *vtc_->protocol;
    if (index < 0 || static_cast<std::size_t>(index) >= attached.protocol.conditions.size()) {
        problem(formatText("the protocol has no condition %d (it has %zu, counted from 0)", index,
                           attached.protocol.conditions.size()));
        return 0;
    }
    const auto i = static_cast<std::size_t>(index);
    const ProtocolCondition& condition = attached.protocol.conditions[i];
    std::memset(record, 0, sizeof *record);
    if (!copyIntoField(record->conditionName, condition.name)) {
        std::memset(record, 0, sizeof *record);
        problem("the condition name \"" + condition.name + "\" does not fit its record");
        return 0;
    }
    record->numberOfIntervals = static_cast<std::int32_t>(condition.intervals.size());
    record->intervalStarts = attached.starts[i].empty() ? nullptr : attached.starts[i].data();
    record->intervalEnds = attached.ends[i].empty() ? nullptr : attached.ends[i].data();
    record->conditionColor = packedColor(condition.color);
    return 1;
}

int HostSession::clearDesignMatrix() {
    designMatrix_.predictors.clear();
    return 1;
}

int HostSession::addPredictor(const char* name) {
    if (name == nullptr) return 0;
    morvane::addPredictor(designMatrix_, name, timing().numberOfVolumes);
    return 1;
}

int HostSession::setPredictorValuesFromConditionName(const char* predictorName, const char* conditionName,
                                                     float value) {
    if (predictorName == nullptr || conditionName == nullptr) return 0;
    Predictor* predictor = findPredictor(designMatrix_, predictorName);
    if (predictor == nullptr) {
        problem(std::string("there is no predictor \"") + predictorName + "\" to set");
        return 0;
    }
    if (!vtc_ || !vtc_->protocol) {
        problem(std::string("predictor \"") + predictorName + "\" cannot be set: no protocol is attached");
        return 0;
    }
    const Protocol& protocol = vtc_->protocol->protocol;
    for (const ProtocolCondition& condition : protocol.conditions) {
        if (condition.name == conditionName) {
            setPredictorFromCondition(*predictor, condition, protocol.inMilliseconds, timing(), value);
            return 1;
        }
    }
    problem(std::string("the protocol has no condition \"") + conditionName + "\"");
    return 0;
}

int HostSession::applyResponseFunction(const char* predictorName, ResponseFunction function) {
    if (predictorName == nullptr) return 0;
    Predictor* predictor = findPredictor(designMatrix_, predictorName);
    if (predictor == nullptr) {
        problem(std::string("there is no predictor \"") + predictorName + "\" to convolve");
        return 0;
    }
    if (!vtc_) {
        problem("no VTC is linked, so there is no TR to convolve with");
        return 0;
    }
    convolvePredictor(*predictor, function, options_.convention, timing());
    return 1;
}

float* HostSession::getPredictor(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= designMatrix_.predictors.size()) {
        problem(formatText("the design matrix has no predictor %d (it has %zu, counted from 0)", index,
                           designMatrix_.predictors.size()));
        return nullptr;
    }
    std::vector<float>& values = designMatrix_.predictors[static_cast<std::size_t>(index)]->values;
    return values.empty() ? nullptr : values.data();
}

int HostSession::saveDesignMatrix(const char* pathText) {
    const std::string path = pathText != nullptr ? pathText : "";
    if (path.empty()) {
        problem("the design matrix cannot be saved under an empty name");
        return 0;
    }
    const int volumes = timing().numberOfVolumes;
    const SdmContent content = designMatrixContent(designMatrix_, volumes);
    SavedDesignMatrix saved{path, content.names, content.dataPoints, content.includesConstant != 0,
                            sdmFilesBeside(path)};
    const std::string text = sdmText(content);
    const std::string failure = replaceFileAtomically(path, [&](int fd) { return writeAll(fd, text.data(), text.size()); });
    if (!failure.empty()) {
        problem("cannot save the design matrix " + path + ": " + failure);
        return 0;
    }
    if (GroupRecord* group = currentGroup()) group->designMatrices.push_back(std::move(saved));
    return 1;
}

}  // namespace morvane
