#pragma once

#include <string>
#include <string_view>

// Addresses and other texts that the program should not carry in plain sight. A hidden text
// is stored with its characters at fixed positions between filler letters: character i of the
// plain text stands at position first + i * stride of the stored text.

// The plain text picked out of a stored text; stops at the end of the stored text.
std::string RevealText(std::string_view stored, size_t first, size_t stride);

// The stored form of a plain text; the filler letters come from a fixed sequence, so the same
// input always gives the same stored text. stride must be at least 1.
std::string HideText(std::string_view plain, size_t first, size_t stride);
