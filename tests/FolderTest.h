#pragma once
// A test fixture with a fresh folder of its own, removed with everything in it afterwards
// (also when a test took away its write permission).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace zeltest {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "zeltest_folder_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::vector<std::string> Names() const { return FilesIn(folder.string()); }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    std::filesystem::path folder;
};

}  // namespace zeltest
