#include "reader/MovieFile.h"

namespace zel {

MovieFile::~MovieFile() { Close(); }

bool MovieFile::Open(const std::string& path, std::string& error, std::error_code& system) {
    Close();
    std::error_code failure = file_.OpenForReading(path);
    std::optional<int64_t> size;
    if (!failure) {
        size = file_.Size();
        if (!size) failure = std::make_error_code(std::errc::io_error);
    }
    if (failure) {
        file_.Close();
        system = failure;
        if (failure == std::errc::is_a_directory)
            error = "is a directory";
        else if (failure == platform::NotRegularFile())
            error = "is not a regular file";
        else
            error = failure.message();
        return false;
    }
    size_ = *size;
    seekCount_ = 0;
    return true;
}

void MovieFile::Close() {
    file_.Close();
    size_ = 0;
}

int64_t MovieFile::Read(void* dest, size_t bytes) {
    std::error_code ignored;
    return file_.Read(dest, bytes, ignored);
}

bool MovieFile::ReadAt(int64_t offset, void* dest, size_t bytes) const {
    std::error_code ignored;
    return file_.ReadAt(offset, dest, bytes, ignored) == static_cast<int64_t>(bytes);
}

bool MovieFile::Seek(int64_t offset) {
    if (!file_.IsOpen() || offset < 0) return false;
    ++seekCount_;
    return file_.Seek(offset);
}

bool MovieFile::Skip(int64_t bytes) {
    if (!file_.IsOpen() || bytes < 0) return false;
    ++seekCount_;
    return file_.Skip(bytes);
}

}  // namespace zel
