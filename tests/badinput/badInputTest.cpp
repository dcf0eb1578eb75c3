// morvane with the real plugin module on broken copies of the example study. Every case
// must end with its exit status and its message, without a crash or a sanitizer report,
// without a temporary file left behind, and with every input file as it was, except the
// VTCs the run is meant to save, which must then hold their protocol and the same data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "formats/vtcFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace {

namespace fs = std::filesystem;
using hardening::ProcessResult;

using morvane::testing::readFile;
using morvane::testing::writeFile;

// Bytes that look like nothing: the same for every run.
std::string garbage(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// A copy of the example study to break, with the answers and the conditions of its run.
struct Study {
    fs::path folder;
    std::vector<std::string> arguments = {"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                          "--skip-first", "yes", "--z-transform", "yes", "--vmr", "anatomy.vmr"};
    std::optional<long long> fileSizeLimit;
    bool unprivileged = false;    // run as another user when the tests run as root
    bool readOnlyFolder = false;  // the study's folder, where every output goes, cannot be written

    fs::path at(const std::string& name) const { return folder / name; }

    void replace(const std::string& name, const std::string& from, const std::string& to) const {
        std::string text = readFile(at(name));
        const auto position = text.find(from);
        if (position == std::string::npos) throw std::runtime_error(name + " holds no " + from);
        writeFile(at(name), text.replace(position, from.size(), to));
    }
    void write(const std::string& name, const std::string& content) const { writeFile(at(name), content); }
    void truncate(const std::string& name, std::size_t keep) const { write(name, readFile(at(name)).substr(0, keep)); }
    // The list moved into the folder `folder`, each entry behind `prefix`, and run from there.
    void moveList(const std::string& folder, const std::string& prefix) {
        std::istringstream lines(readFile(at("file-list.txt")));
        std::string moved, line;
        for (bool first = true; std::getline(lines, line); first = false) moved += (first ? "" : prefix) + line + "\n";
        fs::create_directories(at(folder));
        write(folder + "/file-list.txt", moved);
        fs::remove(at("file-list.txt"));
        arguments[1] = folder + "/file-list.txt";
    }
    void makeFolder(const std::string& name) const {
        fs::remove(at(name));
        fs::create_directory(at(name));
    }
    void makeFifo(const std::string& name) const {
        fs::remove(at(name));
        if (::mkfifo(at(name).c_str(), 0644) != 0) throw std::runtime_error("cannot make the pipe " + name);
    }
    void linkTo(const std::string& name, const std::string& target) const {
        fs::remove(at(name));
        fs::create_symlink(target, at(name));
    }
    void makeUnreadable(const std::string& name) {
        fs::permissions(at(name), fs::perms::none);
        unprivileged = true;
    }
    // The VTC's header changed by `change`, its data and any trailer kept.
    template <typename Change>
    void changeVtcHeader(const std::string& name, Change change) const {
        const std::string bytes = readFile(at(name));
        std::istringstream in(bytes);
        auto header = morvane::parseVtcHeader(in);
        if (!header) throw std::runtime_error(name + ": " + header.error);
        const std::string data = bytes.substr(header.value->headerLength);
        change(*header.value);
        write(name, morvane::vtcHeaderBytes(*header.value) + data);
    }
    void setVolumes(const std::string& name, int volumes) const {
        changeVtcHeader(name, [volumes](morvane::VtcFileHeader& h) { h.numberOfVolumes = volumes; });
    }
};

struct BadInputCase {
    const char* name;
    void (*prepare)(Study&);
    int exitStatus;
    const char* message;     // must stand in standard error; "" for none
    const char* logLine;     // must stand in the log pane (standard output); "" for none
    const char* savedVtcs;   // the VTCs the run saves, blank-separated
};

void PrintTo(const BadInputCase& c, std::ostream* out) { *out << c.name; }

// `morvane import events TABLE --output run1_events.prt`.
std::vector<std::string> importEvents(const std::string& table) {
    return {"import", "events", table, "--output", "run1_events.prt"};
}

const char* const oneBroken = "run1.vtc run3.vtc";  // run2's group is broken, the others convert

const BadInputCase cases[] = {
    // Files that are missing.
    {"MissingList", [](Study& s) { fs::remove(s.at("file-list.txt")); }, 1,
     "the file list file-list.txt cannot be read: cannot open the file: No such file or directory",
     "Unable to open the file list: file-list.txt", ""},
    {"MissingProtocol", [](Study& s) { fs::remove(s.at("run2.prt")); }, 1,
     "the protocol run2.prt is not found beside the VTC", "", oneBroken},
    {"MissingVtc", [](Study& s) { fs::remove(s.at("run2.vtc")); }, 1,
     "cannot link run2.vtc: cannot open the file for reading: No such file or directory", "", oneBroken},
    {"MissingMotionFile", [](Study& s) { fs::remove(s.at("run2_3DMC.sdm")); }, 1,
     "the confound file run2_3DMC.sdm cannot be read: cannot open the file: No such file or directory",
     "Unable to open the motion estimates file.",
     "run1.vtc run2.vtc run3.vtc"},
    {"MissingHeartRateFile", [](Study& s) { fs::remove(s.at("run1_HR.rtc")); }, 1,
     "the confound file run1_HR.rtc cannot be read", "Unable to open the design matrix file.",
     "run1.vtc run2.vtc run3.vtc"},
    {"MissingVmr", [](Study& s) { fs::remove(s.at("anatomy.vmr")); }, 2, "anatomy.vmr", "", ""},
    // The host only needs an anatomical document open; it never reads the VMR's content.
    {"EmptyVmr", [](Study& s) { s.write("anatomy.vmr", ""); }, 0, "all 3 protocol(s) converted", "",
     "run1.vtc run2.vtc run3.vtc"},

    // Files that are empty.
    {"EmptyList", [](Study& s) { s.write("file-list.txt", ""); }, 1, "names no protocol", "", ""},
    {"EmptyProtocol", [](Study& s) { s.write("run2.prt", ""); }, 1,
     "run2.prt, line 1: expected the header line \"NrOfConditions: <count>\", found the end of the file", "",
     oneBroken},
    {"EmptyVtc", [](Study& s) { s.write("run2.vtc", ""); }, 1,
     "cannot link run2.vtc: the file is too short to hold a VTC header", "", oneBroken},
    {"EmptyMotionFile", [](Study& s) { s.write("run2_3DMC.sdm", ""); }, 1, "run2_3DMC.sdm",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"EmptyHeartRateFile", [](Study& s) { s.write("run1_HR.rtc", ""); }, 1, "run1_HR.rtc",
     "Problem with reading *.rtc file. Please check results.", "run1.vtc run2.vtc run3.vtc"},

    // Files that cannot be read: without permission, or a folder in a file's place.
    {"UnreadableList", [](Study& s) { s.makeUnreadable("file-list.txt"); }, 1,
     "the file list file-list.txt cannot be read: cannot open the file: Permission denied",
     "Unable to open the file list: file-list.txt", ""},
    {"UnreadableProtocol", [](Study& s) { s.makeUnreadable("run2.prt"); }, 1,
     "run2.prt: the protocol file cannot be read: cannot open the file: Permission denied", "", oneBroken},
    {"UnreadableVtc", [](Study& s) { s.makeUnreadable("run2.vtc"); }, 1,
     "cannot link run2.vtc: cannot open the file for reading: Permission denied", "", oneBroken},
    {"UnreadableRespirationFile", [](Study& s) { s.makeUnreadable("run2_RVT.sdm"); }, 1,
     "the confound file run2_RVT.sdm cannot be read: cannot open the file: Permission denied",
     "Unable to open the design matrix file.", "run1.vtc run2.vtc run3.vtc"},
    {"UnreadableHeartRateFile", [](Study& s) { s.makeUnreadable("run1_HR.rtc"); }, 1,
     "the confound file run1_HR.rtc cannot be read: cannot open the file: Permission denied",
     "Unable to open the design matrix file.", "run1.vtc run2.vtc run3.vtc"},
    {"FolderForList", [](Study& s) { s.makeFolder("file-list.txt"); }, 1,
     "the file list file-list.txt cannot be read: cannot read the file: Is a directory",
     "Unable to open the file list: file-list.txt", ""},
    {"FolderForProtocol", [](Study& s) { s.makeFolder("run2.prt"); }, 1, "the protocol run2.prt is not found",
     "", oneBroken},
    {"FolderForVtc", [](Study& s) { s.makeFolder("run2.vtc"); }, 1,
     "cannot link run2.vtc: it is a folder, not a file", "", oneBroken},
    {"FolderForMotionFile", [](Study& s) { s.makeFolder("run1_3DMC.sdm"); }, 1,
     "the confound file run1_3DMC.sdm cannot be read: cannot read the file: Is a directory",
     "Unable to open the motion estimates file.", "run1.vtc run2.vtc run3.vtc"},

    // Pipes and devices in a file's place: no run may wait for a writer or read without end.
    {"PipeForList", [](Study& s) { s.makeFifo("file-list.txt"); }, 1,
     "the file list file-list.txt cannot be read: cannot read the file: it is a pipe or a device, not a file",
     "Unable to open the file list: file-list.txt", ""},
    {"PipeForProtocol", [](Study& s) { s.makeFifo("run2.prt"); }, 1, "the protocol run2.prt is not found", "",
     oneBroken},
    {"PipeForVtc", [](Study& s) { s.makeFifo("run2.vtc"); }, 1,
     "cannot link run2.vtc: it is a pipe or a device, not a file", "", oneBroken},
    {"PipeForMotionFile", [](Study& s) { s.makeFifo("run2_3DMC.sdm"); }, 1,
     "the confound file run2_3DMC.sdm cannot be read: cannot read the file: it is a pipe or a device, not a file",
     "Unable to open the motion estimates file.", "run1.vtc run2.vtc run3.vtc"},
    {"EndlessDeviceForHeartRateFile", [](Study& s) { s.linkTo("run1_HR.rtc", "/dev/zero"); }, 1,
     "the confound file run1_HR.rtc cannot be read: cannot read the file: it is a pipe or a device, not a file",
     "Unable to open the design matrix file.", "run1.vtc run2.vtc run3.vtc"},

    // Files of binary garbage.
    {"GarbageList", [](Study& s) { s.write("file-list.txt", garbage(4096, 1)); }, 1, "names no protocol", "",
     ""},
    {"GarbageProtocol", [](Study& s) { s.write("run2.prt", garbage(2048, 2)); }, 1,
     "run2.prt, line 2: expected a header line \"Key: value\", found \"\\xB1\\xC4\\xE6\\x0D\\x1E", "", oneBroken},
    {"GarbageVtc", [](Study& s) { s.write("run2.vtc", garbage(192062, 3)); }, 1, "cannot link run2.vtc: ", "",
     oneBroken},
    {"GarbageMotionFile", [](Study& s) { s.write("run2_3DMC.sdm", garbage(9107, 4)); }, 1, "run2_3DMC.sdm",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"GarbageHeartRateFile", [](Study& s) { s.write("run1_HR.rtc", garbage(3049, 5)); }, 1, "run1_HR.rtc",
     "Problem with reading *.rtc file. Please check results.", "run1.vtc run2.vtc run3.vtc"},

    // Line ends and separators of other writers read the same.
    {"ListWithCrlfAndTabs",
     [](Study& s) {
         s.write("file-list.txt",
                 "3\r\nrun1.prt\trun1.vtc\r\n\trun1_3DMC.sdm\t\trun1_HR.rtc run1_RVT.sdm\r\nrun2.prt\r\n"
                 "run2.vtc\r\nrun2_3DMC.sdm\r\nrun2_RVT.sdm\r\nrun3.prt\r\nrun3.vtc\r\n");
     },
     0, "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},
    {"ProtocolWithCrlfAndTabs",
     [](Study& s) {
         std::string text = readFile(s.at("run1.prt")), converted;
         for (char c : text) converted += c == '\n' ? std::string("\r\n") : c == ' ' ? std::string("\t") : std::string(1, c);
         s.write("run1.prt", converted);
     },
     0, "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},
    {"ConfoundFileWithCrlfAndTabs",
     [](Study& s) {
         std::string text = readFile(s.at("run1_RVT.sdm")), converted;
         for (char c : text) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
         s.write("run1_RVT.sdm", converted);
     },
     0, "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},

    // Paths out of the ordinary.
    {"NonAsciiPaths",
     [](Study& s) {
         // A folder with a no-break space (no white space to the list) and names in three scripts.
         const std::string folder = "Studie\xC2\xA0\xC3\xBC", stem = "l\xC3\xA4uf_\xE7\xA0\x94";
         fs::create_directory(s.at(folder));
         for (const char* suffix : {".prt", ".vtc", "_3DMC.sdm"})
             fs::rename(s.at(std::string("run1") + suffix), s.at(folder) / (stem + suffix));
         s.write("file-list.txt", "1\n" + folder + "/" + stem + ".prt\n" + folder + "/" + stem + ".vtc\n" + folder +
                                      "/" + stem + "_3DMC.sdm\n");
     },
     0, "all 1 protocol(s) converted", "", "Studie\xC2\xA0\xC3\xBC/l\xC3\xA4uf_\xE7\xA0\x94.vtc"},
    {"NamesNotInUtf8",
     [](Study& s) {
         fs::rename(s.at("run3.prt"), s.at("r\xE9sultat.prt"));
         fs::rename(s.at("run3.vtc"), s.at("r\xE9sultat.vtc"));
         s.write("file-list.txt", "1 r\xE9sultat.prt r\xE9sultat.vtc");
     },
     0, "all 1 protocol(s) converted", "", "r\xE9sultat.vtc"},
    {"ListTokenOf10000Characters",
     [](Study& s) { s.replace("file-list.txt", "run2_RVT.sdm", "run2_RVT" + std::string(9988, 'x') + ".sdm"); }, 1,
     "the file list file-list.txt holds an entry of 10000 characters; the plugin takes at most 511 and refuses the list",
     "File name longer than 511 characters in the file list, the list is not processed", ""},
    {"VtcPathLongerThanTheSystemAllows",
     [](Study& s) { s.replace("file-list.txt", "run2.vtc", std::string(300, 'v') + ".vtc"); }, 1,
     "cannot open the file for reading: File name too long", "", "run1.vtc run3.vtc"},
    {"ConfoundPathLongerThanTheSystemAllows",
     [](Study& s) { s.replace("file-list.txt", "run1_HR.rtc", std::string(400, 'h') + "_HR.rtc"); }, 1,
     "_HR.rtc cannot be read: cannot open the file: File name too long", "Unable to open the design matrix file.",
     "run1.vtc run2.vtc run3.vtc"},
    {"ProtocolPathLongerThanItsRecord",
     [](Study& s) {
         const std::string folder = std::string(200, 'd') + "/" + std::string(60, 'e');
         fs::create_directories(s.at(folder));
         for (const char* name : {"run3.prt", "run3.vtc"}) fs::rename(s.at(name), s.at(folder) / name);
         s.replace("file-list.txt", "run3.prt\nrun3.vtc", folder + "/run3.prt\n" + folder + "/run3.vtc");
     },
     1, "run3.prt is longer than the 260 characters its record holds", "", "run1.vtc run2.vtc"},
    // Lists in another folder than the one morvane starts in: relative entries are found beside
    // the list unless --paths-relative-to cwd asks for the current folder; --vmr is taken from
    // where morvane starts.
    {"ListEntriesBesideTheList", [](Study& s) { s.moveList("lists/sub-01", "../../"); }, 0,
     "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},
    {"ListEntriesNotBesideTheList", [](Study& s) { s.moveList("lists", ""); }, 1,
     "cannot link run1.vtc: cannot open the file for reading: No such file or directory", "", ""},
    {"ListEntriesFromTheCurrentFolder",
     [](Study& s) {
         s.moveList("lists", "");
         s.arguments.insert(s.arguments.end(), {"--paths-relative-to", "cwd"});
     },
     0, "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},
    {"ListEntriesBesideTheListTakenFromTheCurrentFolder",
     [](Study& s) {
         s.moveList("lists", "../");
         s.arguments.insert(s.arguments.end(), {"--paths-relative-to", "cwd"});
     },
     1, "cannot link ../run1.vtc: cannot open the file for reading: No such file or directory", "", ""},
    {"UnknownPlaceOfEntries",
     [](Study& s) { s.arguments.insert(s.arguments.end(), {"--paths-relative-to", "home"}); }, 2,
     "--paths-relative-to: home not in {list,cwd}", "", ""},
    {"ListPathLongerThanADialogHolds",
     [](Study& s) { s.arguments[1] = std::string(600, 'l') + ".txt"; }, 2,
     "the --list path is longer than the 511 characters a file dialog returns", "", ""},
    {"LogPathLongerThanTheSystemAllows",
     [](Study& s) { s.arguments.insert(s.arguments.end(), {"--log", std::string(5000, 'g') + ".log"}); }, 2,
     "cannot open the log file", "", ""},

    // Counts that are negative, huge or wrong.
    {"NegativeListCount", [](Study& s) { s.replace("file-list.txt", "3\n", "-3\n"); }, 0,
     "all 3 protocol(s) converted", "Warning: not all files have been properly read or classified.",
     "run1.vtc run2.vtc run3.vtc"},
    {"HugeListCount", [](Study& s) { s.replace("file-list.txt", "3\n", "99999999999999999999\n"); }, 0,
     "all 3 protocol(s) converted", "Number of PRT-VTC pairs: 2147483647", "run1.vtc run2.vtc run3.vtc"},
    {"WrongListCount", [](Study& s) { s.replace("file-list.txt", "3\n", "5\n"); }, 0,
     "all 3 protocol(s) converted", "Warning: not all files have been properly read or classified.",
     "run1.vtc run2.vtc run3.vtc"},
    {"NegativeDataPointsInConfoundFile",
     [](Study& s) { s.replace("run2_RVT.sdm", "NrOfDataPoints:          120", "NrOfDataPoints:          -120"); }, 1,
     "the confound file run2_RVT.sdm cannot be used (the header declares a negative count)",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"HugePredictorCountInConfoundFile",
     [](Study& s) { s.replace("run1_HR.rtc", "NrOfPredictors:  2", "NrOfPredictors:  2147483647"); }, 1,
     "the confound file run1_HR.rtc cannot be used (the header declares 2147483647 predictors and 150 data points, "
     "more than the file holds)",
     "Problem with reading *.rtc file. Please check results.",
     "run1.vtc run2.vtc run3.vtc"},
    {"LowestPredictorCountWithConstant",
     [](Study& s) { s.replace("run1_RVT.sdm", "NrOfPredictors:          3", "NrOfPredictors:          -2147483648"); },
     1, "the confound file run1_RVT.sdm cannot be used (the header declares a negative count)",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"MoreDataPointsThanTheConfoundFileHolds",
     [](Study& s) { s.replace("run1_3DMC.sdm", "NrOfDataPoints:          150", "NrOfDataPoints:          1500"); },
     1, "the confound file run1_3DMC.sdm cannot be used (line 160: expected value 1 of data point 151 of 1500)",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"TruncatedConfoundFile", [](Study& s) { s.truncate("run2_RVT.sdm", 2000); }, 1,
     "the confound file run2_RVT.sdm cannot be used (line ",
     "Problem with reading *.sdm file. Please check results.", "run1.vtc run2.vtc run3.vtc"},
    {"HugeConditionCount", [](Study& s) { s.replace("run2.prt", "NrOfConditions:     3", "NrOfConditions:     2147483647"); },
     1, "found the end of the file", "", oneBroken},
    {"NegativeIntervalCount", [](Study& s) { s.replace("run2.prt", "Objects\r\n0\r\n", "Objects\r\n-1\r\n"); }, 1,
     "the number of intervals of condition \"Objects\" (an integer of 0 or more)", "", oneBroken},

    // VTCs that are cut short or promise more than they hold.
    {"VtcCutInsideItsHeader", [](Study& s) { s.truncate("run2.vtc", 20); }, 1,
     "cannot link run2.vtc: the file ends inside the VTC header", "", oneBroken},
    {"VtcCutInsideItsData", [](Study& s) { s.truncate("run2.vtc", 100000); }, 1,
     "cannot link run2.vtc: the file holds 100000 bytes but its header promises", "", oneBroken},
    {"VtcHeaderPromisingMoreVolumes", [](Study& s) { s.setVolumes("run2.vtc", 32767); }, 1,
     "but its header promises", "", oneBroken},
    {"VtcWhoseDataSizeWrapsAround64Bits",
     [](Study& s) {
         // 55813 x 47663 x 53086 voxels of 32656 float volumes are 2^64 + 16000 bytes.
         s.changeVtcHeader("run3.vtc", [](morvane::VtcFileHeader& h) {
             h.bounds = {-27906, 27907, -23831, 23832, -26543, 26543};
             h.resolution = 1;
             h.numberOfVolumes = 32656;
             h.dataType = 2;
         });
         std::string bytes = readFile(s.at("run3.vtc"));
         std::istringstream in(bytes);
         s.write("run3.vtc", bytes.substr(0, morvane::parseVtcHeader(in).value->headerLength) + garbage(16000, 6));
     },
     1, "cannot link run3.vtc: the file holds 16031 bytes but its header promises more than 64-bit sizes count", "",
     "run1.vtc run2.vtc"},
    {"VtcWithNegativeVolumes", [](Study& s) { s.setVolumes("run2.vtc", -5); }, 1,
     "the number of volumes is -5; it must be positive", "", oneBroken},
    {"VtcOfAnotherVersion",
     [](Study& s) { s.changeVtcHeader("run2.vtc", [](morvane::VtcFileHeader& h) { h.version = 4; }); }, 1,
     "VTC file version 4 is not supported", "", oneBroken},
    {"VtcWithNegativeProtocolCount",
     [](Study& s) {
         std::string bytes = readFile(s.at("run3.vtc"));  // version 3, which counts its protocols
         const auto count = bytes.find('\0', 2) + 1;     // after the version and the source name
         bytes[count] = '\xFF';
         bytes[count + 1] = '\xFF';
         s.write("run3.vtc", bytes);
     },
     1, "cannot link run3.vtc: the header declares a negative number of linked protocols (-1)", "",
     "run1.vtc run2.vtc"},
    {"VtcWithZeroTr",
     [](Study& s) { s.changeVtcHeader("run2.vtc", [](morvane::VtcFileHeader& h) { h.repetitionTimeMs = 0.0f; }); },
     1, "the TR is 0 ms; it must be a positive number", "", oneBroken},
    {"VtcWithNegativeTr",
     [](Study& s) { s.changeVtcHeader("run2.vtc", [](morvane::VtcFileHeader& h) { h.repetitionTimeMs = -2000.0f; }); },
     1, "the TR is -2000 ms", "", oneBroken},
    {"VtcWithTrNotANumber",
     [](Study& s) { s.changeVtcHeader("run2.vtc", [](morvane::VtcFileHeader& h) { h.repetitionTimeMs = std::nanf(""); }); },
     1, "it must be a positive number", "", oneBroken},

    // Protocols with unusual intervals.
    {"NegativeInterval", [](Study& s) { s.replace("run1.prt", "   1   10", "  -9   -1"); }, 0,
     "condition \"Rest\", interval 1 (-9 to -1 volumes) reaches beyond the run", "", "run1.vtc run2.vtc run3.vtc"},
    {"ReversedInterval", [](Study& s) { s.replace("run2.prt", "60000\t61000", "61000\t60000"); }, 1,
     "an interval whose end is not before its start", "", oneBroken},
    {"IntervalBeyondTheRun", [](Study& s) { s.replace("run1.prt", " 141  150", " 141  400"); }, 0,
     "reaches beyond the run (volumes 1 to 150); it is clipped", "", "run1.vtc run2.vtc run3.vtc"},
    {"LowestPossibleIntervalStart", [](Study& s) { s.replace("run1.prt", "   1   10", "-2147483648 10"); }, 0,
     "(-2147483648 to 10 volumes) reaches beyond the run", "", "run1.vtc run2.vtc run3.vtc"},
    {"HighestPossibleIntervalEnd", [](Study& s) { s.replace("run2.prt", "250000\t252500", "250000\t2147483647"); },
     0, "(250000 to 2147483647 ms) reaches beyond the run", "", "run1.vtc run2.vtc run3.vtc"},
    {"ZeroLengthEvents",
     [](Study& s) {
         s.replace("run2.prt", "20000\t22000", "20000\t20000");
         s.replace("run2.prt", "0\t9999", "0\t0");
     },
     0, "all 3 protocol(s) converted", "", "run1.vtc run2.vtc run3.vtc"},
    {"MissingColourLine", [](Study& s) { s.replace("run3.prt", "Color: 0 180 255\n", ""); }, 1,
     "the colour line \"Color: R G B\" of condition \"Objects in LVF\"", "", "run1.vtc run2.vtc"},
    {"ConditionNameWithADoubleQuote", [](Study& s) { s.replace("run1.prt", "\nFaces\n", "\nFaces \"big\"\n"); }, 1,
     "run1.prt: the condition name Faces \"big\" holds a double quote, which a design matrix cannot store", "",
     "run2.vtc run3.vtc"},
    {"ColourOutOfRange", [](Study& s) { s.replace("run3.prt", "Color: 0 180 255", "Color: 0 180 256"); }, 1,
     "the colour line", "", "run1.vtc run2.vtc"},

    // Where the outputs cannot be written.
    {"ReadOnlyOutputFolder", [](Study& s) { s.readOnlyFolder = true; }, 1,
     "cannot save the design matrix run1_run1.sdm: cannot create the temporary file", "", ""},
    {"FullDiskForEverySave", [](Study& s) { s.fileSizeLimit = 1000; }, 1,
     "cannot save the design matrix run1_run1.sdm: cannot write: File too large", "", ""},
    {"FullDiskForTheVtcs", [](Study& s) { s.fileSizeLimit = 60000; }, 1,
     "cannot save run1.vtc: cannot copy the data: File too large", "", ""},

    // Confound models after the run and for single design matrices.
    {"ModelWithMissingMotionFile",
     [](Study& s) {
         fs::remove(s.at("run2_3DMC.sdm"));
         s.arguments.insert(s.arguments.end(), {"--motion-model", "24"});
     },
     1,
     "the design matrix run2_run2_3DMC_z_RVT_z_24P.sdm was not written: the motion file run2_3DMC.sdm cannot be "
     "read: cannot open the file: No such file or directory",
     "New filename: run1_run1_3DMC_z_HR_z_RVT_z_24P.sdm (18 motion terms added)", "run1.vtc run2.vtc run3.vtc"},
    {"ModelWithShortMotionFile",
     [](Study& s) {
         // The header and the first 100 of 150 rows.
         std::istringstream in(readFile(s.at("run1_3DMC.sdm")));
         std::string kept;
         std::string line;
         for (int i = 0; i < 9 + 100 && std::getline(in, line); ++i) kept += line + "\n";
         s.write("run1_3DMC.sdm", kept);
         s.replace("run1_3DMC.sdm", "NrOfDataPoints:          150", "NrOfDataPoints:          100");
         s.arguments.insert(s.arguments.end(), {"--motion-model", "12", "--spikes-fd", "0.5"});
     },
     1,
     "the design matrix run1_run1_3DMC_z_HR_z_RVT_z_12P_FD0.5.sdm was not written: the motion file run1_3DMC.sdm "
     "holds 100 data points, fewer than the 150 of the design matrix",
     "New filename: run2_run2_3DMC_z_RVT_z_12P_FD0.5.sdm", "run1.vtc run2.vtc run3.vtc"},
    {"NonNumericSpikeThreshold", [](Study& s) { s.arguments.insert(s.arguments.end(), {"--spikes-fd", "half"}); }, 2,
     "--spikes-fd must be a framewise displacement in mm, a decimal number of 0 or more such as 0.5, not \"half\"", "",
     ""},
    {"NegativeSpikeThreshold", [](Study& s) { s.arguments.insert(s.arguments.end(), {"--spikes-fd=-0.5"}); }, 2,
     "--spikes-fd must be a framewise displacement in mm, a decimal number of 0 or more such as 0.5, not \"-0.5\"", "",
     ""},
    {"MotionModelOfEighteen", [](Study& s) { s.arguments.insert(s.arguments.end(), {"--motion-model", "18"}); }, 2,
     "--motion-model must be 6, 12 or 24, not 18", "", ""},
    {"ExtraTableWithoutTheNamedColumn",
     [](Study& s) {
         s.write("confounds.tsv", "csf\twhite_matter\n0.5\t1\n");
         s.arguments = {"confounds", "--design-matrix", "run1_RVT.sdm", "--motion", "run1_3DMC.sdm", "--extra",
                        "confounds.tsv", "--columns", "global_signal", "--output", "run1_model.sdm"};
     },
     1, "confounds.tsv, line 1: no column \"global_signal\" in the header line (its columns: csf, white_matter)", "",
     ""},
    {"ExtraTableWithAWord",
     [](Study& s) {
         std::string table = "csf\n";
         for (int row = 0; row < 150; ++row) table += row == 41 ? "high\n" : "0.5\n";
         s.write("confounds.tsv", table);
         s.arguments = {"confounds", "--design-matrix", "run1_RVT.sdm", "--motion", "run1_3DMC.sdm", "--extra",
                        "confounds.tsv", "--columns", "csf", "--output", "run1_model.sdm"};
     },
     1, "confounds.tsv, line 43, column \"csf\": expected a number, found \"high\"", "", ""},
    {"ModelOutputIsTheDesignMatrix",
     [](Study& s) {
         s.arguments = {"confounds", "--design-matrix", "run1_RVT.sdm", "--motion", "run1_3DMC.sdm",
                        "--motion-model", "24", "--output", "./run1_RVT.sdm"};
     },
     2, "--output names the design matrix itself (run1_RVT.sdm)", "", ""},
    {"ModelWithShortMotionFileForOneDesignMatrix",
     [](Study& s) {
         s.arguments = {"confounds", "--design-matrix", "run1_RVT.sdm", "--motion", "run2_3DMC.sdm", "--output",
                        "run1_model.sdm"};
     },
     1, "the motion file run2_3DMC.sdm holds 120 data points, fewer than the 150 of the design matrix", "", ""},

    // BIDS tables for `morvane import`, design matrices for `morvane export`.
    {"EventsTableMissing", [](Study& s) { s.arguments = importEvents("missing_events.tsv"); }, 1,
     "missing_events.tsv: the table cannot be read: cannot open the file: No such file or directory", "", ""},
    {"EventsTableIsAFolder",
     [](Study& s) {
         s.makeFolder("events.tsv");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv: the table cannot be read: cannot read the file: Is a directory", "", ""},
    {"EventsTableIsAPipe",
     [](Study& s) {
         s.makeFifo("events.tsv");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv: the table cannot be read: cannot read the file: it is a pipe or a device, not a file", "", ""},
    {"EventsTableIsAnEndlessDevice",
     [](Study& s) {
         s.linkTo("events.tsv", "/dev/zero");
         s.arguments = importEvents("events.tsv");
     },
     1, "it is a pipe or a device, not a file", "", ""},
    {"EventsTableOfGarbage",
     [](Study& s) {
         s.write("events.tsv", garbage(4096, 7));
         s.arguments = importEvents("events.tsv");
     },
     1, "morvane: events.tsv, line ", "", ""},
    {"EventsTableEmpty",
     [](Study& s) {
         s.write("events.tsv", "");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 1: the table is empty; expected a header line of column names", "", ""},
    {"EventsTableInUtf16",
     [](Study& s) {
         s.write("events.tsv", std::string("\xFF\xFEo\0n\0s\0e\0t\0", 12));
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 1: the table is UTF-16 text; save it as UTF-8", "", ""},
    {"EventsRowShortOfACell",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\ttrial_type\n1\t2\tgo\n3\t4\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 3: 2 cell(s) where the header has 3 columns; the row ends before column 3 \"trial_type\"",
     "", ""},
    {"EventsWithoutDuration",
     [](Study& s) {
         s.write("events.tsv", "onset\ttrial_type\n1\tgo\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 1: no column \"duration\" in the header line (its columns: onset, trial_type)", "", ""},
    {"EventsWithNegativeDuration",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\ttrial_type\n1\t2\tgo\n3\t-4\tgo\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 3, column \"duration\": expected a duration of 0 seconds or more, found -4", "", ""},
    {"EventsWithDecimalComma",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\ttrial_type\n1,5\t2\tgo\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 2, column \"onset\": expected a number, found \"1,5\"", "", ""},
    {"EventsWithOnsetNotANumber",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\ttrial_type\nnan\t2\tgo\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 2, column \"onset\": expected a number, found \"nan\"", "", ""},
    {"EventsEveryConditionNotAvailable",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\ttrial_type\n1\t2\tn/a\n");
         s.arguments = importEvents("events.tsv");
     },
     1, "events.tsv, line 2, column \"trial_type\": no event; every row's condition is n/a", "", ""},
    {"EventsWithCrlfMarkAndTrailingTabs",
     [](Study& s) {
         s.write("events.tsv", "\xEF\xBB\xBFonset\tduration\ttrial_type\t\r\n1\t2\tgo\t\r\n3\t0\tstop\t\r\n\r\n");
         s.arguments = importEvents("events.tsv");
     },
     0, "run1_events.prt written: 2 condition(s), 2 event(s)", "", ""},
    {"EventsProtocolIntoMissingFolder",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\n1\t2\n");
         s.arguments = {"import", "events", "events.tsv", "--output", "nowhere/run1.prt"};
     },
     1, "cannot write nowhere/run1.prt: ", "", ""},
    {"EventsProtocolOverTheTable",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\n1\t2\n");
         s.arguments = {"import", "events", "events.tsv", "--output", "./events.tsv"};
     },
     1, "--output ./events.tsv is the input file itself, which the output would replace", "", ""},
    {"EventsProtocolIntoReadOnlyFolder",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\n1\t2\n");
         s.arguments = importEvents("events.tsv");
         s.readOnlyFolder = true;
     },
     1, "cannot write run1_events.prt: cannot create the temporary file", "", ""},
    {"EventsProtocolOnAFullDisk",
     [](Study& s) {
         s.write("events.tsv", "onset\tduration\n1\t2\n");
         s.arguments = importEvents("events.tsv");
         s.fileSizeLimit = 100;
     },
     1, "cannot write run1_events.prt: cannot write: File too large", "", ""},
    {"ConfoundsWithoutRotZ",
     [](Study& s) {
         s.write("confounds.tsv", "trans_x\ttrans_y\ttrans_z\trot_x\trot_y\tcsf\n0\t0\t0\t0\t0\t1\n");
         s.arguments = {"import", "confounds", "confounds.tsv", "--output", "run1_new_3DMC.sdm"};
     },
     1, "confounds.tsv, line 1: no column \"rot_z\" in the header line", "", ""},
    {"ConfoundsWithNotAvailableAfterTheFirstRow",
     [](Study& s) {
         s.write("confounds.tsv", "trans_x\ttrans_y\ttrans_z\trot_x\trot_y\trot_z\nn/a\t0\t0\t0\t0\t0\n0\t0\tn/a\t0\t0\t0\n");
         s.arguments = {"import", "confounds", "confounds.tsv", "--output", "run1_new_3DMC.sdm"};
     },
     1, "confounds.tsv, line 3, column \"trans_z\": expected a number, found n/a (taken in the first row only)", "", ""},
    {"ConfoundsOfGarbage",
     [](Study& s) {
         s.write("confounds.tsv", garbage(9000, 8));
         s.arguments = {"import", "confounds", "confounds.tsv", "--output", "run1_new_3DMC.sdm"};
     },
     1, "morvane: confounds.tsv, line ", "", ""},
    {"ExportOfAProtocol", [](Study& s) { s.arguments = {"export", "run1.prt", "--output", "run1.tsv"}; }, 1,
     "morvane: run1.prt, line 3: expected the header value NrOfPredictors: <integer>", "", ""},
    {"ExportOfGarbage",
     [](Study& s) {
         s.write("garbage.sdm", garbage(5000, 9));
         s.arguments = {"export", "garbage.sdm", "--output", "garbage.tsv"};
     },
     1, "morvane: garbage.sdm, line ", "", ""},
    {"ExportToFslOfTheConstantAlone",
     [](Study& s) {
         s.write("constant.sdm", "FileVersion: 1\nNrOfPredictors: 1\nNrOfDataPoints: 2\nIncludesConstant: 1\n"
                                 "FirstConfoundPredictor: 1\n255 255 255\n\"Constant\"\n1\n1\n");
         s.arguments = {"export", "constant.sdm", "--output", "design.mat", "--format", "fsl"};
     },
     1, "constant.sdm: the design matrix holds no predictor but the constant, which FSL's layout leaves out", "", ""},
    {"ExportOverTheDesignMatrix", [](Study& s) { s.arguments = {"export", "run1_RVT.sdm", "--output", "run1_RVT.sdm"}; },
     1, "--output run1_RVT.sdm is the input file itself", "", ""},
    {"ExportIntoAFolder", [](Study& s) { s.arguments = {"export", "run1_RVT.sdm", "--output", "."}; }, 1,
     "--output . is a folder; it needs a file name", "", ""},
    {"ExportInAnUnknownFormat",
     [](Study& s) { s.arguments = {"export", "run1_RVT.sdm", "--output", "x.txt", "--format", "spm"}; }, 2, "--format",
     "", ""},

    // A list of 10,000 entries: the study's three groups and 4,994 more that name missing files.
    {"ListOf10000Entries",
     [](Study& s) {
         std::string list = readFile(s.at("file-list.txt"));
         for (int i = 0; i < 4994; ++i) list += "missing" + std::to_string(i) + ".prt missing" + std::to_string(i) + ".vtc\n";
         s.write("file-list.txt", list);
     },
     1, "4994 of 4997 protocol(s) failed", "", "run1.vtc run2.vtc run3.vtc"},
};

std::set<std::string> words(const std::string& text) {
    std::set<std::string> result;
    std::istringstream in(text);
    for (std::string word; in >> word;) result.insert(word);
    return result;
}

// Every file below the folder with its content. Run as root, the test reads what the case
// made unreadable to morvane too; otherwise such a file reads as empty before and after.
std::map<std::string, std::string> filesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
    return files;
}

std::string vtcData(const std::string& bytes, std::vector<std::string>* protocols = nullptr) {
    std::istringstream in(bytes);
    auto header = morvane::parseVtcHeader(in);
    if (!header) return "<no header: " + header.error + ">";
    if (protocols != nullptr) *protocols = header.value->protocolNames;
    return bytes.substr(header.value->headerLength);
}

class BadInput : public ::testing::TestWithParam<BadInputCase> {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "morvane-bad-input-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
        study.folder = scratch / "study";
        fs::copy(EXAMPLE_STUDY, study.folder, fs::copy_options::recursive);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(scratch, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(study.folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(scratch, ignored);
    }

    // Opens the study to the other user: it may read everything (but what the case made
    // unreadable) and write in the folder (unless the case made it read-only).
    void openToOtherUser() {
        fs::permissions(scratch, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
        for (const auto& entry : fs::recursive_directory_iterator(study.folder)) {
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::all);
            else if (fs::status(entry.path()).permissions() != fs::perms::none)
                fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                                  fs::perms::others_read);
        }
        fs::permissions(study.folder, study.readOnlyFolder ? fs::perms::owner_read | fs::perms::owner_exec |
                                                                 fs::perms::group_read | fs::perms::group_exec |
                                                                 fs::perms::others_read | fs::perms::others_exec
                                                           : fs::perms::all);
    }

    fs::path scratch;
    Study study;
};

TEST_P(BadInput, EndsWithItsStatusAndMessageAndChangesNoInput) {
    const BadInputCase& c = GetParam();
    c.prepare(study);

    hardening::ProcessOptions options;
    options.command = {MORVANE_PROGRAM};
    options.command.insert(options.command.end(), study.arguments.begin(), study.arguments.end());
    options.folder = study.folder.string();
    options.fileSizeLimit = study.fileSizeLimit;
    if (study.unprivileged || study.readOnlyFolder) {
        if (::geteuid() == 0) {
            if (!hardening::canRunAsOtherUser()) GTEST_SKIP() << "running as root without a way to become another user";
            options.user = hardening::unprivilegedUser;
        }
        openToOtherUser();
    }

    const std::map<std::string, std::string> before = filesIn(study.folder);
    const ProcessResult run = hardening::runProcess(options);
    const std::string what = hardening::describe(run);
    if (std::getenv("BAD_INPUT_SHOW") != nullptr) std::cout << "=== " << c.name << "\n" << what << "\n";

    ASSERT_TRUE(run.started) << what;
    EXPECT_FALSE(run.timedOut) << what;
    EXPECT_EQ(run.signal, 0) << what;
    EXPECT_EQ(hardening::sanitizerReport(run.err), "") << what;
    EXPECT_EQ(run.exitStatus, c.exitStatus) << what;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << "message: " << c.message << "\n" << what;
    EXPECT_NE(run.out.find(c.logLine), std::string::npos) << "log line: " << c.logLine << "\n" << what;

    const std::set<std::string> saved = words(c.savedVtcs);
    const std::map<std::string, std::string> after = filesIn(study.folder);
    for (const auto& [name, content] : before) {
        const auto now = after.find(name);
        ASSERT_NE(now, after.end()) << name << " went missing\n" << what;
        if (!saved.count(name)) {
            EXPECT_TRUE(now->second == content) << name << " changed\n" << what;
            continue;
        }
        std::vector<std::string> protocols;
        EXPECT_TRUE(vtcData(now->second, &protocols) == vtcData(content)) << name << ": its data changed\n" << what;
        ASSERT_EQ(protocols.size(), 1u) << name << " was not saved with its protocol\n" << what;
        EXPECT_TRUE(protocols[0].size() > 4 && protocols[0].substr(protocols[0].size() - 4) == ".prt") << protocols[0];
    }
    for (const std::string& name : saved) EXPECT_TRUE(before.count(name)) << name << " is no input of the case";
    for (const auto& [name, content] : after)
        EXPECT_EQ(name.find(".morvane-"), std::string::npos) << "temporary file left behind: " << name;
}

INSTANTIATE_TEST_SUITE_P(Morvane, BadInput, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<BadInputCase>& info) { return std::string(info.param.name); });

}  // namespace
