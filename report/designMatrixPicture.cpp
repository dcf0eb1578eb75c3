#include "report/designMatrixPicture.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"
#include "report/columnBlocks.h"
#include "report/columnLabels.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

// Grey level of a value of a column whose largest |value| is `largest`.
std::uint8_t greyLevel(double value, double largest, bool signedColumn) {
    if (!(largest > 0.0)) return 0;
    const double scaled = std::clamp(value / largest, -1.0, 1.0);
    const double level = signedColumn ? 127.5 * (1.0 + scaled) : 255.0 * std::max(0.0, scaled);
    return static_cast<std::uint8_t>(level + 0.5);  // never negative: rounds as lround would
}

}  // namespace

RasterImage designMatrixCells(const SdmContent& matrix, int mostRows) {
    RasterImage image;
    const int columns = matrix.predictorCount();
    const int rows = matrix.dataPoints;
    if (columns <= 0 || rows <= 0 || mostRows <= 0 ||
        matrix.values.size() != static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns))
        return image;
    const auto width = static_cast<std::size_t>(columns);
    image.width = columns;
    image.height = std::min(rows, mostRows);
    image.channels = 1;
    image.pixels.assign(width * static_cast<std::size_t>(image.height), 0);

    // Row by row, as the values lie in memory.
    std::vector<double> largest(width, 0.0);
    std::vector<char> negative(width, 0);
    for (std::size_t at = 0; at < matrix.values.size(); ++at) {
        const double value = finiteOrZero(matrix.values[at]);
        const std::size_t column = at % width;
        largest[column] = std::max(largest[column], std::fabs(value));
        negative[column] = negative[column] || value < 0.0;
    }
    // Each pixel row is the mean of the volumes [begin, end) in continuous time, each volume
    // weighted by how much of it the span covers (one volume exactly when nothing is averaged).
    const double volumesPerRow = static_cast<double>(rows) / image.height;
    std::vector<double> sum(width);
    for (int pixelRow = 0; pixelRow < image.height; ++pixelRow) {
        const double begin = pixelRow * volumesPerRow;
        const double end = pixelRow + 1 == image.height ? rows : (pixelRow + 1) * volumesPerRow;
        std::fill(sum.begin(), sum.end(), 0.0);
        const int last = std::min(rows, static_cast<int>(std::ceil(end)));
        for (int row = static_cast<int>(std::floor(begin)); row < last; ++row) {
            const double weight = std::min(end, row + 1.0) - std::max(begin, static_cast<double>(row));
            const double* values = matrix.values.data() + static_cast<std::size_t>(row) * width;
            for (std::size_t column = 0; column < width; ++column) sum[column] += weight * finiteOrZero(values[column]);
        }
        std::uint8_t* pixels = image.pixels.data() + static_cast<std::size_t>(pixelRow) * width;
        for (std::size_t column = 0; column < width; ++column)
            pixels[column] = greyLevel(sum[column] / (end - begin), largest[column], negative[column] != 0);
    }
    return image;
}

std::string designMatrixPicture(const SdmContent& matrix, const std::vector<PredictorFigures>& predictors) {
    const RasterImage cells = designMatrixCells(matrix);
    if (cells.pixels.empty()) return {};
    const auto cellsUri = pngDataUri(cells);
    if (!cellsUri) return {};

    const int columns = matrix.predictorCount();
    const int rows = matrix.dataPoints;
    const double width = std::clamp(std::floor(560.0 / columns), 4.0, 22.0);
    const double left = 50.0;
    const double height = designMatrixPixelRows;
    const ColumnLabels room = columnLabels(matrix.names, left, width, 0.0);
    const double colourStrip = room.height + 4.0;  // the predictors' own colours from the file
    const double band = colourStrip + 8.0;          // the blocks' colours
    const double top = band + 7.0;
    const double matrixWidth = width * columns;
    const double svgWidth = std::max(left + matrixWidth + std::max(room.overhang, 0.0) + 8.0, left + 300.0);
    const double svgHeight = top + height + 30.0;
    const std::vector<ColumnBlock> blocks = columnBlocks(predictors, columns);

    std::string svg = formatText(
        "<svg class=\"design-matrix\" width=\"%s\" height=\"%s\" viewBox=\"0 0 %s %s\" role=\"img\">"
        "<title>Design matrix: %d volumes, %d predictors</title>",
        svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str(), svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str(),
        rows, columns);
    svg += columnLabels(matrix.names, left, width, room.height).markup;
    if (matrix.colors.size() == matrix.names.size()) {
        for (int column = 0; column < columns; ++column) {
            const Rgb& colour = matrix.colors[static_cast<std::size_t>(column)];
            svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"5\" fill=\"rgb(%d,%d,%d)\"/>",
                              svgNumber(left + column * width + 1.0).c_str(), svgNumber(colourStrip).c_str(),
                              svgNumber(std::max(width - 2.0, 1.0)).c_str(), std::clamp(colour.red, 0, 255),
                              std::clamp(colour.green, 0, 255), std::clamp(colour.blue, 0, 255));
        }
    }
    svg += blockBand(blocks, left, width, band, 5.0);
    // The cells' data go in by concatenation: through printf they would be copied twice.
    svg += formatText("<image class=\"cells\" x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" preserveAspectRatio=\"none\" href=\"",
                      svgNumber(left).c_str(), svgNumber(top).c_str(), svgNumber(matrixWidth).c_str(),
                      svgNumber(height).c_str());
    svg += *cellsUri.value;
    svg += "\"/>";
    // Where one block ends and the next begins, a line in the next block's colour.
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const double x = left + blocks[i].first * width;
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"%s\" stroke-width=\"1.5\"/>",
                          svgNumber(x).c_str(), svgNumber(band).c_str(), svgNumber(x).c_str(),
                          svgNumber(top + height).c_str(), kindColour(blocks[i].kind));
    }
    svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"none\" stroke=\"#999\" stroke-width=\"0.5\"/>",
                      svgNumber(left).c_str(), svgNumber(top).c_str(), svgNumber(matrixWidth).c_str(),
                      svgNumber(height).c_str());
    // The volume axis: the first volume, then round numbers.
    const int step = std::max(1, static_cast<int>(roundStep(rows, 8)));
    for (int volume = 1; volume <= rows; volume = volume == 1 && step > 1 ? step : volume + step) {
        const double y = top + (volume - 0.5) / rows * height;
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" class=\"tick\"/><text class=\"axis\" x=\"%s\" y=\"%s\" text-anchor=\"end\" dominant-baseline=\"middle\">%d</text>",
                          svgNumber(left - 4.0).c_str(), svgNumber(y).c_str(), svgNumber(left).c_str(), svgNumber(y).c_str(),
                          svgNumber(left - 6.0).c_str(), svgNumber(y).c_str(), volume);
    }
    svg += formatText("<text class=\"axis\" transform=\"translate(12 %s) rotate(-90)\" text-anchor=\"middle\">volume</text>",
                      svgNumber(top + height / 2).c_str());
    // Which colour marks which block.
    double x = left;
    for (const ColumnKind kind : {ColumnKind::Task, ColumnKind::Confound, ColumnKind::Constant}) {
        int count = 0;
        for (const ColumnBlock& block : blocks)
            if (block.kind == kind) count += block.count;
        if (count == 0) continue;
        const std::string word = formatText("%s (%d)", kindWord(kind), count);
        svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"10\" height=\"10\" fill=\"%s\"/><text class=\"axis\" x=\"%s\" y=\"%s\">%s</text>",
                          svgNumber(x).c_str(), svgNumber(top + height + 12.0).c_str(), kindColour(kind),
                          svgNumber(x + 14.0).c_str(), svgNumber(top + height + 21.0).c_str(), word.c_str());
        x += 14.0 + 6.5 * word.size() + 14.0;
    }
    svg += "</svg>";
    return svg;
}

}  // namespace morvane
