#include "zelwriter/CameraRules.h"

namespace zelgen {

StoredFormat DeriveStoredFormat(const MovieSpec& spec) {
    const std::string& code = spec.cameraCode;
    if (!spec.newerLayout) {
        // Older records carry no stored bit count: 10 bits, except the 8-bit camera.
        if (code == "rwt2" || code == "rwt3") return {1, 10};
        if (code == "hzn1") return {-1, 8};
        return {0, 10};
    }
    const int bits = spec.storedBits;
    if (code == "hz8 ") {
        const int sensorMode = (spec.modeWord >> 4) & 0xf;
        if (sensorMode == 1 || sensorMode == 3) return {bits == 8 ? 5 : 6, bits};
        if (sensorMode == 2) return {bits == 8 ? 2 : 3, bits};
        return {0, bits};
    }
    if (code.size() >= 2 && code[0] == 'h' && code[1] == 'z')
        return {bits == 8 ? 2 : (bits == 10 ? 3 : 4), bits};
    // Any other camera in the newer layout records plain 8-bit samples.
    return {-1, 8};
}

std::optional<MovieSpec> SpecForPixelFormat(int pixelFormat, bool newerLayout) {
    MovieSpec spec;
    spec.newerLayout = newerLayout;
    auto set = [&](const char* code, int modeWord, int storedBits) {
        spec.cameraCode = code;
        spec.modeWord = modeWord;
        spec.storedBits = storedBits;
        return std::optional<MovieSpec>(spec);
    };
    if (!newerLayout) {
        switch (pixelFormat) {
            case -1: return set("hzn1", 0x02, 8);
            case 0: return set("rwm7", 0x00, 10);  // monochrome
            case 1: return set("rwt2", 0x02, 10);
            default: return std::nullopt;
        }
    }
    switch (pixelFormat) {
        case -1: return set("rwm7", 0x00, 8);
        case 0: return set("hz8 ", 0x02, 10);   // sensor mode 0
        case 2: return set("hz8 ", 0x22, 8);    // sensor mode 2
        case 3: return set("hz8 ", 0x22, 10);
        case 4: return set("hzn1", 0x02, 12);   // other "hz" camera at 12 bits
        case 5: return set("hz8 ", 0x12, 8);    // sensor mode 1
        case 6: return set("hz8 ", 0x12, 10);
        default: return std::nullopt;
    }
}

}  // namespace zelgen
