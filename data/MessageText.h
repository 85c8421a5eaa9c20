#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from outside (a line of a file, a typed field, a reply) quoted in a message: never more
// than MessageQuoteLimit characters of it, so that a 10 MB line neither floods a message box
// nor stderr, cut between characters and always valid UTF-8.

inline constexpr size_t MessageQuoteLimit = 80;

// The length of the well-formed UTF-8 sequence at the start of s (RFC 3629: no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0 when there is none.
size_t Utf8SequenceLength(std::string_view s);

// The first characters of the text, with "…" when something was cut. A byte that starts no
// well-formed character and a control character (a zero byte would end a message box's text)
// show as U+FFFD.
std::string MessageExcerpt(std::string_view text, size_t limit = MessageQuoteLimit);
// The excerpt between quotation marks: “text”.
std::string QuotedExcerpt(std::string_view text);
