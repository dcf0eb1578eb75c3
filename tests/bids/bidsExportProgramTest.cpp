// `morvane export` end to end: every design matrix a batch run and morvane write, and one of
// numbers printed to seventeen digits, read back by readers that share nothing with morvane
// (strtod, and Python where it is installed), equal the design matrix's values bit for bit.
#include <bit>
#include <cstdint>
#include <sstream>

#include "tests/bids/bidsProgramTest.h"

namespace morvane::bidstest {
namespace {

using testing::readFile;
using testing::writeFile;

// Values that six digits cannot hold, at the ends of the range of doubles.
const char* const preciseMatrix =
    "FileVersion:             1\n\nNrOfPredictors:          3\nNrOfDataPoints:          4\n"
    "IncludesConstant:        1\nFirstConfoundPredictor:  3\n\n255 0 0   0 0 255   255 255 255\n"
    "\"Faces (famous)\" \"\xC3\x9C" "berraschung\" \"Constant\"\n"
    "0.1 0.30000000000000004 1\n"
    "-5e-324 1.7976931348623157e308 1\n"
    "2.2250738585072014e-308 -123456789012345678 1\n"
    "-0 0.33333333333333331 1\n";

class Export : public StudyCopy {
protected:
    // Every design matrix of a batch run with z-transformed confounds (host's and plugin's),
    // morvane's motion file from a confound table, and the precise one.
    std::vector<std::string> designMatrices() {
        const Outcome batch = morvane({"--list", "file-list.txt", "--hrf", "boynton", "--value", "1", "--skip-first", "yes",
                                   "--z-transform", "yes", "--vmr", "anatomy.vmr"});
        EXPECT_EQ(batch.status, 0) << batch.err;
        const Outcome motion = morvane({"import", "confounds",
                                    "bids/sub-01_task-facerecognition_run-1_desc-confounds_timeseries.tsv", "--output",
                                    "imported_3DMC.sdm"});
        EXPECT_EQ(motion.status, 0) << motion.err;
        writeFile(at("precise.sdm"), preciseMatrix);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.path()))
            if (entry.path().extension() == ".sdm" || entry.path().extension() == ".rtc")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names.size(), 12u);  // 5 inputs, 5 of the run, imported and precise
        return names;
    }
};

// The constant's place in a design matrix, as the host and the plugin put it: the last
// predictor, named "Constant", when IncludesConstant is set.
std::optional<std::size_t> constantOf(const SdmContent& matrix) {
    if (matrix.includesConstant == 0 || matrix.names.empty() || matrix.names.back() != "Constant") return std::nullopt;
    return matrix.names.size() - 1;
}

TEST_F(Export, TablesReadBackToTheLastDigit) {
    for (const std::string& name : designMatrices()) {
        SCOPED_TRACE(name);
        const bool rtc = name.ends_with(".rtc");
        const auto parsed = rtc ? parseRtc(readFile(at(name))) : parseSdm(readFile(at(name)));
        ASSERT_TRUE(parsed) << parsed.error;
        const SdmContent& matrix = *parsed.value;
        const std::optional<std::size_t> constant = constantOf(matrix);

        const Outcome tsv = morvane({"export", name, "--output", "out.tsv"});
        ASSERT_EQ(tsv.status, 0) << tsv.err;
        const auto rows = tabRows(readFile(at("out.tsv")));
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(matrix.dataPoints) + 1);
        for (std::size_t c = 0; c < matrix.names.size(); ++c)
            EXPECT_EQ(rows[0].at(c), constant == c ? std::string("constant") : matrix.names[c]);
        for (int row = 0; row < matrix.dataPoints; ++row) {
            const auto& cells = rows[static_cast<std::size_t>(row) + 1];
            ASSERT_EQ(cells.size(), matrix.names.size()) << "row " << row;
            for (int c = 0; c < matrix.predictorCount(); ++c)
                ASSERT_EQ(std::bit_cast<std::uint64_t>(strtodCell(cells[static_cast<std::size_t>(c)])),
                          std::bit_cast<std::uint64_t>(matrix.value(row, c)))
                    << "row " << row << ", column " << c << ": " << cells[static_cast<std::size_t>(c)];
        }

        const Outcome fsl = morvane({"export", name, "--output", "design.mat", "--format", "fsl"});
        ASSERT_EQ(fsl.status, 0) << fsl.err;
        std::istringstream in(readFile(at("design.mat")));
        std::string key;
        std::size_t waves = 0;
        int points = 0;
        in >> key >> waves;
        EXPECT_EQ(key, "/NumWaves");
        in >> key >> points;
        EXPECT_EQ(key, "/NumPoints");
        EXPECT_EQ(points, matrix.dataPoints);
        std::vector<int> kept;
        for (int c = 0; c < matrix.predictorCount(); ++c)
            if (constant != static_cast<std::size_t>(c)) kept.push_back(c);
        ASSERT_EQ(waves, kept.size());
        in >> key;
        EXPECT_EQ(key, "/PPheights");
        for (const int c : kept) {
            std::string height;
            in >> height;
            double low = matrix.value(0, c), high = low;
            for (int row = 1; row < matrix.dataPoints; ++row) {
                low = std::min(low, matrix.value(row, c));
                high = std::max(high, matrix.value(row, c));
            }
            EXPECT_EQ(strtodCell(height), high - low) << "column " << c;
        }
        in >> key;
        EXPECT_EQ(key, "/Matrix");
        for (int row = 0; row < matrix.dataPoints; ++row) {
            for (const int c : kept) {
                std::string cell;
                in >> cell;
                ASSERT_EQ(std::bit_cast<std::uint64_t>(strtodCell(cell)), std::bit_cast<std::uint64_t>(matrix.value(row, c)))
                    << "row " << row << ", column " << c;
            }
        }
        std::string rest;
        EXPECT_FALSE(in >> rest) << "after the matrix: " << rest;
    }
}

// Python's float() is correctly rounded and shares no code with morvane; the script prints
// the bits of every number of the table.
const char* const pythonReader = R"(import struct, sys
rows = open(sys.argv[1], encoding="utf-8").read().split("\n")
assert rows[-1] == ""
for row in rows[1:-1]:
    print(" ".join(str(struct.unpack("<Q", struct.pack("<d", float(cell)))[0]) for cell in row.split("\t")))
)";

TEST_F(Export, PythonReadsTheSameDoubles) {
    const std::string python = programOnPath("python3");
    if (python.empty()) {
        if (toolsRequired()) FAIL() << "python3 is required (QUORVEL_REQUIRE_TOOLS=1) but not found";
        GTEST_SKIP() << "python3 not found";
    }
    writeFile(at("reader.py"), pythonReader);
    for (const std::string& name : designMatrices()) {
        SCOPED_TRACE(name);
        const auto matrix = name.ends_with(".rtc") ? parseRtc(readFile(at(name))) : parseSdm(readFile(at(name)));
        ASSERT_TRUE(matrix) << matrix.error;
        ASSERT_EQ(morvane({"export", name, "--output", "out.tsv"}).status, 0);
        const Outcome read = runIn(scratch.path(), {python, "reader.py", "out.tsv"});
        ASSERT_EQ(read.status, 0) << read.err;
        std::string expected;
        for (int row = 0; row < matrix.value->dataPoints; ++row) {
            for (int c = 0; c < matrix.value->predictorCount(); ++c)
                expected += (c ? " " : "") + std::to_string(std::bit_cast<std::uint64_t>(matrix.value->value(row, c)));
            expected += '\n';
        }
        EXPECT_EQ(read.out, expected);
    }
}

}  // namespace
}  // namespace morvane::bidstest
