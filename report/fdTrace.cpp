#include "report/fdTrace.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

constexpr double plotWidth = 620.0, plotHeight = 130.0;
constexpr double left = 46.0, top = 12.0, svgWidth = left + plotWidth + 14.0, svgHeight = top + plotHeight + 36.0;

}  // namespace

std::string fdTrace(const MotionFigures& motion, double thresholdMm) {
    const std::vector<double>& series = motion.series;
    const int volumes = static_cast<int>(series.size());
    if (volumes == 0) return {};
    double largest = 0.0;
    for (const double fd : series)
        if (std::isfinite(fd)) largest = std::max(largest, fd);
    const double threshold = std::isfinite(thresholdMm) && thresholdMm > 0.0 ? thresholdMm : 0.0;
    const double step = roundStep(std::max({largest, threshold * 1.25, 0.1}), 4);
    const double yMax = step * std::ceil(std::max({largest, threshold * 1.25, 0.1}) / step);
    const auto xOf = [&](double volume) {  // volume 1 at the left edge, the last at the right
        return left + (volumes == 1 ? 0.5 : (volume - 1.0) / (volumes - 1.0)) * plotWidth;
    };
    const auto yOf = [&](double fd) { return top + plotHeight * (1.0 - std::clamp(fd, 0.0, yMax) / yMax); };

    std::string svg = formatText(
        "<svg class=\"fd-trace\" width=\"%s\" height=\"%s\" viewBox=\"0 0 %s %s\" role=\"img\">"
        "<title>Framewise displacement per volume (mm)</title>",
        svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str(), svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str());
    for (double value = 0.0; value <= yMax + step / 2; value += step) {
        const double y = yOf(value);
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" class=\"grid\"/><text class=\"axis\" x=\"%s\" y=\"%s\" text-anchor=\"end\" dominant-baseline=\"middle\">%s</text>",
                          svgNumber(left).c_str(), svgNumber(y).c_str(), svgNumber(left + plotWidth).c_str(), svgNumber(y).c_str(),
                          svgNumber(left - 5.0).c_str(), svgNumber(y).c_str(), formatText("%g", value).c_str());
    }
    const int volumeStep = std::max(1, static_cast<int>(roundStep(volumes, 8)));
    for (int volume = 1; volume <= volumes; volume = volume == 1 && volumeStep > 1 ? volumeStep : volume + volumeStep) {
        const double x = xOf(volume);
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" class=\"tick\"/><text class=\"axis\" x=\"%s\" y=\"%s\" text-anchor=\"middle\">%d</text>",
                          svgNumber(x).c_str(), svgNumber(top + plotHeight).c_str(), svgNumber(x).c_str(),
                          svgNumber(top + plotHeight + 4.0).c_str(), svgNumber(x).c_str(), svgNumber(top + plotHeight + 15.0).c_str(), volume);
    }
    svg += formatText("<text class=\"axis\" x=\"%s\" y=\"%s\" text-anchor=\"middle\">volume</text>"
                      "<text class=\"axis\" transform=\"translate(11 %s) rotate(-90)\" text-anchor=\"middle\">FD (mm)</text>",
                      svgNumber(left + plotWidth / 2).c_str(), svgNumber(svgHeight - 4.0).c_str(),
                      svgNumber(top + plotHeight / 2).c_str());

    // The trace. Past two points per pixel, each pixel column keeps its lowest and highest
    // value, so that no spike is lost; a value that is not finite breaks the line.
    std::string path;
    bool drawing = false;
    const auto point = [&](double x, double fd) {
        if (!std::isfinite(fd)) {
            drawing = false;
            return;
        }
        path += drawing ? 'L' : 'M';
        appendSvgNumber(path, x);
        path += ' ';
        appendSvgNumber(path, yOf(fd));
        drawing = true;
    };
    const int pixels = static_cast<int>(plotWidth);
    if (volumes <= 2 * pixels) {
        for (int i = 0; i < volumes; ++i) point(xOf(i + 1.0), series[static_cast<std::size_t>(i)]);
    } else {
        for (int pixel = 0; pixel < pixels; ++pixel) {
            const int first = static_cast<int>(static_cast<long long>(pixel) * volumes / pixels);
            const int last = static_cast<int>(static_cast<long long>(pixel + 1) * volumes / pixels);
            const auto [low, high] = std::minmax_element(series.begin() + first, series.begin() + last);
            const bool lowFirst = low < high;
            point(xOf(1.0 + (lowFirst ? low : high) - series.begin()), lowFirst ? *low : *high);
            point(xOf(1.0 + (lowFirst ? high : low) - series.begin()), lowFirst ? *high : *low);
        }
    }
    svg += "<path class=\"trace\" d=\"" + path + "\"/>";

    // The volumes above the threshold, as ticks under the plot.
    if (threshold > 0.0) {
        std::string marks;
        for (int i = 0; i < volumes; ++i)
            if (series[static_cast<std::size_t>(i)] > threshold)
            {
                marks += 'M';
                appendSvgNumber(marks, xOf(i + 1.0));
                marks += ' ';
                appendSvgNumber(marks, top + plotHeight - 5.0);
                marks += "v5";
            }
        if (!marks.empty()) svg += "<path class=\"over\" d=\"" + marks + "\"/>";
        const double y = yOf(threshold);
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" class=\"threshold\"/>"
                          "<text class=\"axis threshold-label\" x=\"%s\" y=\"%s\" text-anchor=\"end\">threshold %s mm</text>",
                          svgNumber(left).c_str(), svgNumber(y).c_str(), svgNumber(left + plotWidth).c_str(), svgNumber(y).c_str(),
                          svgNumber(left + plotWidth - 2.0).c_str(), svgNumber(y - 4.0).c_str(), formatText("%g", threshold).c_str());
    }
    svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"none\" stroke=\"#999\" stroke-width=\"0.5\"/></svg>",
                      svgNumber(left).c_str(), svgNumber(top).c_str(), svgNumber(plotWidth).c_str(), svgNumber(plotHeight).c_str());
    return svg;
}

}  // namespace morvane
