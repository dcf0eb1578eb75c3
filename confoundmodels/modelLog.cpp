#include "confoundmodels/modelLog.h"

#include <ostream>

namespace morvane {

void ModelLog::line(const std::string& text) {
    out_ << text << '\n' << std::flush;
    if (!filePath_) return;
    // The run's own copy of the log pane is complete and flushed by now; these lines go after it.
    if (!file_.is_open()) file_.open(*filePath_, std::ios::out | std::ios::app);
    if (file_) file_ << text << '\n' << std::flush;
}

}  // namespace morvane
