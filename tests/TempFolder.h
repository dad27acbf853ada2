#pragma once
// A folder in the temporary folder, removed with its contents when the test ends.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFile.h"

namespace zeltest {

struct TempFolder {
    TempFolder() : path(TempFile(".d").path()) { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path;
};

// The names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zeltest
