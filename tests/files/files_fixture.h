// A scratch folder for the file layer's tests, the same natively and under Wine: files
// written and read back by name, and the names left in it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace files_testing {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = (fs::temp_directory_path() / ("kst-files-" + std::to_string(std::random_device()()))).string();
        ASSERT_TRUE(fs::create_directory(m_dir)) << m_dir;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string PathOf(const std::string& name) const { return m_dir + kSeparator + name; }
    // The names in the folder, sorted, so that a left-over file shows.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_dir;  // no separator at its end
};

}  // namespace files_testing
