// A stage for running the jobs as the program runs them: a real window standing in for
// the view, which counts WM_JOB_DONE, a real progress bar on it whose every message is
// recorded, the worker started with AfxBeginThread, and this thread pumping messages
// while it waits (the worker sends to the bar and blocks until it is answered).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "blowfish_view.h"
#include "dialog_driver.h"
#include "thread.h"

struct BarMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What the files of a probing view saw, across all the files it opened.
struct FileProbe {
    uint64_t failWritesAfter = UINT64_MAX;  // total bytes written before writes start failing
    uint64_t throwWritesAfter = UINT64_MAX; // total bytes written before a write runs out of memory
    uint64_t fakeLength = 0;                // with `fake`: no disk file, this length
    bool failFlushes = false;               // every flush reports failure
    int failFlushNumber = 0;                // this flush alone (counted from 1) reports failure
    DWORD flushMilliseconds = 0;            // how long each flush takes
    bool failOnlyDuringAFlush = false;      // the failing write waits until a flush is under way
    bool fake = false;
    uint64_t bytesWritten = 0;
    int flushes = 0;
    std::atomic<int> flushesUnderWay{0};
    int filesGoneDuringAFlush = 0;          // files destroyed while one of their flushes ran
};

// A view whose jobs open their files through a probe.
class ProbeView : public CBlowfishView {
public:
    explicit ProbeView(FileProbe& probe) : m_probe(probe) {}
    std::unique_ptr<CFile> NewJobFile() const override;

private:
    FileProbe& m_probe;
};

class JobTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the job on a worker thread as the view does and pumps until WM_JOB_DONE.
    void RunJob(CBlowfishView& view, AFX_THREADPROC proc);
    void Prepare(CBlowfishView& view, const std::string& source, const std::string& dest, const char* password);

    std::string PathOf(const std::string& name) const { return m_dir + "\\" + name; }
    // The PBM_SETPOS positions, in order, and the checks on the range message before them.
    std::vector<int> Positions() const;
    bool RangeCameFirst() const;
    // Every box the worker showed had the application's caption and came from the worker.
    void ExpectBoxes(const std::vector<std::string>& texts);
    // An encryption and a decryption of `source` into `dest` both refuse the destination
    // as they open their files, and say so.
    void ExpectBothJobsRefuseTheDestination(const std::string& source, const std::string& dest);

    kst_test::DialogDriver m_driver;
    CBlowfishView m_view;
    HWND m_hViewWnd = nullptr;
    HWND m_hBar = nullptr;
    std::string m_dir;

public:
    // Filled by the windows' procedures on this thread.
    static std::vector<BarMessage> s_barMessages;
    static int s_jobsDone;
    static std::vector<std::pair<WPARAM, LPARAM>> s_doneParams;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);
std::vector<uint8_t> PatternBytes(size_t length, uint8_t seed);
