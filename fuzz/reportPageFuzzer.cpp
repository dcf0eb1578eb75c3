// The report's page of an adversarial group: its texts (list, protocol, reason, predictor
// names, log lines, notes), values, correlations and FD from the bytes. Whatever they hold, the
// page's only script is its own, every address in it is an anchor of the page or inline picture
// data, it is whole UTF-8, the group's section is there, and the design-matrix cells put each
// column's largest |value| at the end of the grey scale.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/fuzzSupport.h"
#include "report/designMatrixPicture.h"
#include "report/reportPage.h"

using namespace morvane;

namespace {

// Layout of the input: 5 header bytes (columns, rows, status, first confound, flags), then
// rows x columns value bytes, then texts separated by NUL bytes.
double valueOf(std::uint8_t byte) {
    if (byte == 0x7F) return std::numeric_limits<double>::quiet_NaN();
    if (byte == 0x80) return -std::numeric_limits<double>::infinity();
    return static_cast<std::int8_t>(byte) / 16.0;
}

FUZZ_CHECKER bool isWholeUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

FUZZ_CHECKER std::string asciiLowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

FUZZ_CHECKER std::size_t countOf(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const int columns = 1 + data[0] % 8;
    const int rows = 1 + data[1] % 64;
    const std::size_t cellBytes = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    if (size < 5 + cellBytes) return 0;

    SdmContent matrix;
    matrix.dataPoints = rows;
    for (std::size_t i = 0; i < cellBytes; ++i) matrix.values.push_back(valueOf(data[5 + i]));
    std::vector<std::string> texts;
    std::string_view rest = fuzzBytes(data + 5 + cellBytes, size - 5 - cellBytes);
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\0');
        texts.emplace_back(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    const auto text = [&](std::size_t i) { return i < texts.size() ? texts[i] : std::string(); };

    StudyReport study;
    study.list = text(0);
    RunReport run;
    run.protocol = text(1);
    run.reason = text(2);
    run.status = static_cast<RunStatus>(data[2] % 3);
    run.rows = rows;
    const int firstConfound = data[3] % (columns + 1);
    for (int c = 0; c < columns; ++c) {
        const std::string name = text(3 + static_cast<std::size_t>(c));
        matrix.names.push_back(name);
        matrix.colors.push_back({data[5 + static_cast<std::size_t>(c)], 300, -4});  // out of range on purpose
        PredictorFigures predictor{name, c < firstConfound ? ColumnKind::Task : ColumnKind::Confound, {}, {}, {}};
        if (c + 1 == columns && (data[4] & 1)) predictor.kind = ColumnKind::Constant;
        if (predictor.kind == ColumnKind::Task) {
            const double first = matrix.values[static_cast<std::size_t>(c)];
            predictor.vif = first;  // NaN and infinity included: the page must cope
            predictor.vifInfinite = (data[4] & 2) != 0;
            predictor.withoutVariance = (data[4] & 4) != 0;
            predictor.maxConfoundCorrelation = first / 8.0;
            predictor.maxConfoundName = text(4);
        }
        run.predictors.push_back(predictor);
    }
    for (int i = 0; i < columns; ++i) {
        std::vector<std::optional<double>> row;
        for (int j = 0; j < columns; ++j) {
            const double value = matrix.values[static_cast<std::size_t>((i * columns + j) % static_cast<int>(cellBytes))];
            row.push_back(value == 0.0 ? std::optional<double>() : value / 8.0);
        }
        run.correlation.push_back(row);
    }
    if (data[4] & 8) run.conditionNumber = matrix.values[0];
    if (data[4] & 16) run.rank = data[4];
    if (data[4] & 32) {
        MotionFigures motion;
        for (int r = 0; r < rows; ++r) motion.series.push_back(std::fabs(matrix.value(r, 0)));
        motion.mean = motion.series.back();
        run.framewiseDisplacement = motion;
    }
    for (std::size_t i = 3 + static_cast<std::size_t>(columns); i < texts.size(); ++i)
        (i % 2 ? run.logLines : run.notes).push_back(texts[i]);
    run.flags = {text(5), "high-vif"};
    study.runs.push_back(run);
    study.runs.push_back(RunReport{});

    std::vector<RunPictures> pictures{drawRunPictures(run, &matrix, study.settings)};
    const std::string page = reportPage(study, pictures);

    // Tags are matched in any case, as a browser would; the page is lowered once for all three.
    const std::string lower = asciiLowerCase(page);
    fuzzCheck(countOf(lower, "<script") == 1, "the page's own script only");
    fuzzCheck(page.find("src=\"") == std::string::npos && countOf(lower, "<link") == 0 &&
                  countOf(lower, "<iframe") == 0,
              "nothing loaded from elsewhere");
    for (std::size_t at = page.find("href=\""); at != std::string::npos; at = page.find("href=\"", at + 1)) {
        const std::string_view target = std::string_view(page).substr(at + 6, 22);
        fuzzCheck(target.starts_with("#") || target == "data:image/png;base64,", "addresses inside the page only");
    }
    fuzzCheck(isWholeUtf8(page), "the page is whole UTF-8");
    fuzzCheck(page.find("id=\"run-1\"") != std::string::npos && page.find("id=\"run-2\"") != std::string::npos,
              "a section per group");
    fuzzCheck(page.ends_with("</html>\n"), "a whole page");

    const RasterImage cells = designMatrixCells(matrix);
    fuzzCheck(cells.width == columns && cells.height == rows, "one pixel per value");
    for (int c = 0; c < columns; ++c) {
        double largest = 0.0;
        bool negative = false;
        for (int r = 0; r < rows; ++r) {
            const double value = matrix.value(r, c);
            if (!std::isfinite(value)) continue;
            largest = std::max(largest, std::fabs(value));
            negative = negative || value < 0.0;
        }
        for (int r = 0; r < rows; ++r) {
            const double value = matrix.value(r, c);
            const std::uint8_t grey = cells.pixels[static_cast<std::size_t>(r * columns + c)];
            if (largest > 0.0 && value == largest) fuzzCheck(grey == 255, "the largest value is white");
            if (largest > 0.0 && value == -largest) fuzzCheck(grey == 0, "the most negative value is black");
            if (!std::isfinite(value) || value == 0.0) fuzzCheck(grey == (negative ? 128 : 0), "zero at the zero level");
        }
    }
    return 0;
}
