// What a reader returns: the value, or the reason it could not make one.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace morvane {

template <typename T>
struct ParseResult {
    std::optional<T> value;
    std::string error;  // set exactly when value is empty

    static ParseResult success(T v) { return ParseResult{std::move(v), {}}; }
    static ParseResult failure(std::string why) { return ParseResult{std::nullopt, std::move(why)}; }
    explicit operator bool() const { return value.has_value(); }
};

}  // namespace morvane
