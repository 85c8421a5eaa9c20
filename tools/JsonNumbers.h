#pragma once

#include <charconv>
#include <cstddef>
#include <string>

// Numbers and arrays of numbers as the command-line reports print them.

template <typename T>
void AppendNumber(std::string& text, T value) {
    char buffer[32];
    // Doubles come out in their shortest form that reads back to the same value.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

// `, "key": [v0, v1, ...]`
template <typename Numbers>
void AppendArray(std::string& text, const char* key, const Numbers& values) {
    text += ", \"";
    text += key;
    text += "\": [";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ", ";
        AppendNumber(text, values[i]);
    }
    text += ']';
}
