#include "document/OutputCheck.h"

#include <climits>
#include <filesystem>
#include <string>
#include <system_error>

#include "document/ZelfDoc.h"
#include "platform/Utf8Path.h"

namespace zel {

namespace {

// Whether name[at..] starts with `part`. Windows' file systems compare names without
// regard to case, so there "Shot_000001.TIF" is the file "shot_000001.tif" names.
bool PartAt(const std::string& name, size_t at, const std::string& part) {
#ifdef _WIN32
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < part.size(); ++i)
        if (lower(name[at + i]) != lower(part[i])) return false;
    return true;
#else
    return name.compare(at, part.size(), part) == 0;
#endif
}

// The frame whose numbered name is `name` (base_000012.ext), or -1 for any other name.
int64_t FrameOfName(const std::string& name, const ConversionPattern& pattern) {
    const std::string& base = pattern.baseName;
    const std::string& extension = pattern.extension;
    if (name.size() < base.size() + 1 + 6 + extension.size()) return -1;
    if (!PartAt(name, 0, base) || name[base.size()] != '_') return -1;
    if (!PartAt(name, name.size() - extension.size(), extension)) return -1;
    const size_t first = base.size() + 1, last = name.size() - extension.size();
    int64_t frame = 0;
    for (size_t i = first; i < last; ++i) {
        if (name[i] < '0' || name[i] > '9' || frame > INT32_MAX) return -1;
        frame = frame * 10 + (name[i] - '0');
    }
    return frame;
}

}  // namespace

Problem CheckOutputsAreNotInputs(const CZelfDoc& doc, const ConversionPattern& pattern, const FrameSpan& span) {
    std::error_code error;
    const std::filesystem::path folder = platform::PathFromUtf8(pattern.folder.empty() ? "." : pattern.folder);
    std::filesystem::directory_iterator entries(folder, error), end;
    for (; !error && entries != end; entries.increment(error)) {
        const std::string name = platform::Utf8OfPath(entries->path().filename());
        const int64_t frame = FrameOfName(name, pattern);
        if (frame < span.first || frame > span.last) continue;
        // Only the name the conversion itself would write (leading zeros and all) counts.
        const std::string path = NumberedFileName(pattern.folder, pattern.baseName, static_cast<int>(frame), pattern.extension);
        if (path.size() != pattern.folder.size() + name.size()) continue;
        if (doc.IsInputFile(pattern.folder + name)) return {ProblemCode::OutputIsInput, {path}};
    }
    return {};
}

}  // namespace zel
