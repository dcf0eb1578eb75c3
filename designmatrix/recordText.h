// The text of a fixed-size text field of a host record.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

// Up to the field's first NUL, or the whole field when the host filled it without one.
template <std::size_t N>
std::string recordText(const char (&field)[N]) {
    const void* nul = std::memchr(field, '\0', N);
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N;
    return std::string(field, length);
}
