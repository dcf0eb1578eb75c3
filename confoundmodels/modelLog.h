// The lines morvane adds to the log pane after the plugin: on standard output like the
// plugin's, each flushed, and appended to the log file of --log when there is one.
#pragma once

#include <fstream>
#include <iosfwd>
#include <optional>
#include <string>

namespace morvane {

class ModelLog {
public:
    ModelLog(std::ostream& out, std::optional<std::string> filePath) : out_(out), filePath_(std::move(filePath)) {}
    void line(const std::string& text);

private:
    std::ostream& out_;
    std::optional<std::string> filePath_;
    std::ofstream file_;  // opened at the first line
};

}  // namespace morvane
