// UTF-8 checked byte by byte, after the table of well-formed sequences in RFC 3629.

#include "document/Utf8Text.h"

namespace zel {

namespace {

bool Within(std::string_view text, size_t at, unsigned char low, unsigned char high) {
    if (at >= text.size()) return false;
    const auto c = static_cast<unsigned char>(text[at]);
    return c >= low && c <= high;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at) {
    if (at >= text.size()) return 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    // The second byte's range depends on the lead byte: it is what rules out overlong
    // forms (E0, F0), surrogates (ED) and values beyond U+10FFFF (F4).
    unsigned char low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;  // a continuation byte, C0, C1 or F5..FF
    }
    if (!Within(text, at + 1, low, high)) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!Within(text, at + i, 0x80, 0xBF)) return 0;
    return length;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace zel
