#pragma once
// Text that other programs read as UTF-8: the JSON of `info --json` and the CSV exports.
// A POSIX file name is bytes in no particular encoding, so a name written on a Latin-1
// system reaches these writers as bytes that are not UTF-8, and a strict reader rejects
// the whole file for one such byte. Each byte that starts no valid UTF-8 sequence is
// written as U+FFFD instead; valid text passes through byte for byte.

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// The length (1 to 4) of the valid UTF-8 sequence that starts at text[at], or 0 when the
// bytes there are none: a stray continuation byte, a lead byte without its continuation
// bytes, an overlong form, a surrogate or a value above U+10FFFF (RFC 3629).
size_t Utf8SequenceLength(std::string_view text, size_t at);

// text with every byte that starts no valid sequence replaced by U+FFFD (one U+FFFD per
// byte, so "E2 82" cut short gives two).
std::string ValidUtf8(std::string_view text);

}  // namespace zel
