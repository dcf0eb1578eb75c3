#include "motion/framewiseDisplacement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "formats/textFormat.h"

namespace morvane {

ParseResult<SdmContent> readMotionFile(const std::string& path) {
    ParseResult<std::string> text = readWholeFile(path);
    if (!text) return ParseResult<SdmContent>::failure(text.error);
    return path.find(".rtc") != std::string::npos ? parseRtc(*text.value) : parseSdm(*text.value);
}

std::string motionColumnsProblem(const SdmContent& motion) {
    if (motion.predictorCount() >= motionParameterCount) return {};
    return formatText("a motion file has six columns (three translations, three rotations), this one %d",
                      motion.predictorCount());
}

ParseResult<std::vector<double>> framewiseDisplacement(const SdmContent& motion, int points) {
    if (std::string problem = motionColumnsProblem(motion); !problem.empty())
        return ParseResult<std::vector<double>>::failure(std::move(problem));
    const int volumes = std::max(0, std::min(points, motion.dataPoints));
    constexpr double radiansPerDegree = std::numbers::pi / 180.0;
    std::vector<double> fd(static_cast<std::size_t>(volumes), 0.0);
    for (int t = 1; t < volumes; ++t) {
        double translation = 0.0, rotation = 0.0;
        for (int c = 0; c < 3; ++c) translation += std::fabs(motion.value(t, c) - motion.value(t - 1, c));
        for (int c = 3; c < 6; ++c) rotation += std::fabs(motion.value(t, c) - motion.value(t - 1, c));
        fd[static_cast<std::size_t>(t)] = translation + headRadiusMm * radiansPerDegree * rotation;
    }
    return ParseResult<std::vector<double>>::success(std::move(fd));
}

}  // namespace morvane
