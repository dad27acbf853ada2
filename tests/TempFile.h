#pragma once
// A file in the temporary folder, removed when the test ends.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace zeltest {

class TempFile {
public:
    explicit TempFile(const std::string& suffix = ".zel") {
        static std::atomic<int> counter{0};
        path_ = (std::filesystem::temp_directory_path() /
                 ("zeltest_" + std::to_string(zel::platform::ProcessId()) + "_" + std::to_string(counter++) + suffix))
                    .generic_string();  // '/' between names on Windows too, as tests expect
    }
    explicit TempFile(const std::vector<uint8_t>& bytes, const std::string& suffix = ".zel") : TempFile(suffix) {
        Write(bytes);
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zeltest
