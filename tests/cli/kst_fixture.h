// The kst program run in a scratch folder: files written and read back, kst started with
// its password from a file, and the folder's names to show what was left behind.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "kst_process.h"
#include "memory_streams.h"

namespace kst_testing {

namespace fs = std::filesystem;

inline const std::string kPassword = "correct horse";

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The names in a folder, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Kst : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kst-cli-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_scratch = fs::path(m_dir).parent_path() / (fs::path(m_dir).filename().string() + "-io");
        WriteText(Path("password"), kPassword + "\n");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    KstRun Run(std::vector<std::string> arguments, const ChildSetup& setup = nullptr, const std::string& input = "")
    {
        return RunKst(arguments, input, m_scratch, setup);
    }
    // With the password from the password file.
    KstRun RunWithPassword(std::vector<std::string> arguments, const ChildSetup& setup = nullptr)
    {
        arguments.insert(arguments.end(), {"--password-file", Path("password")});
        return Run(arguments, setup);
    }

    // The names in the folder, so a left-over temporary file shows.
    std::vector<std::string> Names() const { return NamesIn(m_dir); }

    // Waits until the pending output of kst's `process` holds bytes: the work is under way.
    // It is found among the process's open files, in the folder and with no name (Linux)
    // or a hidden one. Returns a path that stands for it (stat-able while kst has it open),
    // or "" when none came.
    std::string WaitForPendingOutput(const KstProcess& process) const
    {
        const std::string descriptors = "/proc/" + std::to_string(process.Pid()) + "/fd";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(descriptors, error)) {
                const fs::path target = fs::read_symlink(entry.path(), error);
                const std::string name = target.filename().string();
                if (!error && target.parent_path() == m_dir && (name[0] == '.' || name[0] == '#') &&
                    fs::file_size(entry.path(), error) > 0 && !error)
                    return entry.path().string();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return "";
    }

    std::string m_dir;
    std::string m_scratch;
};

}  // namespace kst_testing
