#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/ProgramIdentity.h"

// The draw download without its transport: the identity the program sends, the request
// address, the reply reader and the draw key that scrambles the digits on the wire.

// Identity sent with every request.
std::string SoftName();  // the short name in upper case: "PAVOLEN"

// The service asked when the settings name none (kept hidden in the program file).
std::string DefaultServiceUrl();

// Seven key digits K1-K7 and the multiplier K0, built from a name at run time.
struct TDrawKey {
    std::array<int, 8> K{};
    bool operator==(const TDrawKey&) const = default;
};

// Ki = (code of character i of softName) mod 10 for i = 1-7, K0 = a fixed three-digit number
// mod (K1 + ... + K7); 0 when those digits add up to 0. Names shorter than seven characters
// give 0 for the missing digits.
TDrawKey DeriveDrawKey(std::string_view softName);
// The key of SoftName(), derived once.
const TDrawKey& DrawKey();

// Digit i (1-7) of a draw goes on the wire as (d + i*K0 + (issue mod 10)*Ki) mod 10.
// digits must be seven decimal digits; throws TError otherwise.
std::string ScrambleDraw(const TDrawKey& key, int64_t issue, std::string_view digits);
// The exact inverse: issueText must be a decimal number and scrambled seven decimal digits;
// throws TError otherwise.
std::string DescrambleDraw(const TDrawKey& key, std::string_view issueText,
                           std::string_view scrambled);

// Bytes outside A-Z a-z 0-9 - . _ ~ as %XX, so that blanks, "&", "#", "+" and non-ASCII
// (sent as the bytes of their UTF-8 form) reach the service exactly as typed.
std::string PercentEncode(std::string_view bytes);

struct TDownloadRequest {
    std::string ServiceUrl;
    std::string MemberName;      // UTF-8
    std::string MemberPassword;  // UTF-8
};

// ServiceUrl?soft=..&softid=..&ver=..&mName=..&mPw=.., every value percent-encoded; an empty
// value still sends its key. An address that already holds a query continues it with "&".
std::string BuildRequestUrl(const TDownloadRequest& request);

// The received items ("issue#scrambled digits", fields trimmed) of a reply in code page 936
// or UTF-8, in reply order; blank lines are skipped and fields after the third ignored.
// Throws TError with a message for the user when the status line lacks "成功", when no draw
// follows it, or at the first line that is no draw (fewer than three fields, an issue that is
// not a decimal number, a digits field that is not exactly seven digits).
std::vector<std::string> ParseDownloadReply(std::string_view body);

// The draw numbers of received items, descrambled with key; throws TError naming the first
// item that is no draw, or for no items at all (an empty list would wipe the history).
std::vector<int32_t> DecodeReceivedItems(const std::vector<std::string>& items,
                                         const TDrawKey& key);
