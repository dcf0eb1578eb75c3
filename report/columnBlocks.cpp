#include "report/columnBlocks.h"

#include "formats/textFormat.h"
#include "report/svgNumbers.h"

namespace morvane {

std::vector<ColumnBlock> columnBlocks(const std::vector<PredictorFigures>& predictors, int columns) {
    std::vector<ColumnBlock> blocks;
    if (columns <= 0 || static_cast<int>(predictors.size()) != columns) return blocks;
    for (int column = 0; column < columns; ++column) {
        const ColumnKind kind = predictors[static_cast<std::size_t>(column)].kind;
        if (blocks.empty() || blocks.back().kind != kind)
            blocks.push_back({kind, column, 0});
        ++blocks.back().count;
    }
    return blocks;
}

const char* kindColour(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Task: return "#2f6db5";
        case ColumnKind::Confound: return "#d9822b";
        case ColumnKind::Constant: return "#7a7a7a";
    }
    return "#7a7a7a";
}

std::string blockBand(const std::vector<ColumnBlock>& blocks, double x0, double width, double y, double height) {
    std::string svg;
    for (const ColumnBlock& block : blocks) {
        svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"%s\"><title>%s: %d column%s</title></rect>",
                          svgNumber(x0 + block.first * width).c_str(), svgNumber(y).c_str(),
                          svgNumber(block.count * width).c_str(), svgNumber(height).c_str(), kindColour(block.kind),
                          kindWord(block.kind), block.count, block.count == 1 ? "" : "s");
    }
    return svg;
}

}  // namespace morvane
