// What a BIDS file's name says: key-value entities joined by underscores before the suffix,
// "sub-01_ses-2_task-faces_run-1_events.tsv".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// The value of an entity ("task" gives "faces"), from the file's name alone (any folder
// before it is ignored); nullopt when the name has no such entity or it is empty.
std::optional<std::string> bidsEntity(const std::string& path, std::string_view key);

// The file's name without its folder, its extensions and its suffix after the last
// underscore: "sub-01_task-faces_run-1" for ".../sub-01_task-faces_run-1_events.tsv".
std::string bidsStem(const std::string& path);

}  // namespace morvane
