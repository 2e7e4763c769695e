#include "job_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "app_messages.h"
#include "codec_fakes.h"
#include "message_box.h"
#include "message_pump.h"
#include "wide_paths.h"

using kst_test::Narrow;
using kst_test::Wide;

std::vector<BarMessage> JobTest::s_barMessages;
int JobTest::s_jobsDone = 0;
std::vector<std::pair<WPARAM, LPARAM>> JobTest::s_doneParams;

namespace {

constexpr DWORD kJobTimeoutMs = 120000;
const char kViewClass[] = "KestrineJobTestView";
WNDPROC g_barProc = nullptr;

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_JOB_DONE) {
        ++JobTest::s_jobsDone;
        JobTest::s_doneParams.emplace_back(wParam, lParam);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RecordingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    JobTest::s_barMessages.push_back({message, wParam, lParam});
    return ::CallWindowProcA(g_barProc, window, message, wParam, lParam);
}

// Writes through to a real file unless the probe fakes one; counts and fails on request.
class ProbeFile : public CFile {
public:
    explicit ProbeFile(FileProbe& probe) : m_probe(probe) {}
    BOOL Open(const std::wstring& strFileName, UINT nOpenFlags) override {
        return m_probe.fake ? TRUE : CFile::Open(strFileName, nOpenFlags);
    }
    bool Write(const void* pBuffer, UINT nCount) override {
        const bool failing = m_probe.bytesWritten + nCount > std::min(m_probe.throwWritesAfter, m_probe.failWritesAfter);
        if (failing && m_probe.failOnlyDuringAFlush) AwaitAFlushUnderWay();
        if (m_probe.bytesWritten + nCount > m_probe.throwWritesAfter) throw std::bad_alloc();
        if (m_probe.bytesWritten + nCount > m_probe.failWritesAfter) return false;
        m_probe.bytesWritten += nCount;
        return m_probe.fake ? true : CFile::Write(pBuffer, nCount);
    }
    ~ProbeFile() override {
        if (m_probe.flushesUnderWay > 0) ++m_probe.filesGoneDuringAFlush;
    }
    bool Flush() override {
        const int number = ++m_probe.flushes;
        ++m_probe.flushesUnderWay;
        ::Sleep(m_probe.flushMilliseconds);
        const bool flushed = !m_probe.failFlushes && number != m_probe.failFlushNumber && (m_probe.fake || CFile::Flush());
        --m_probe.flushesUnderWay;
        return flushed;
    }
    uint64_t GetLength() const override { return m_probe.fake ? m_probe.fakeLength : CFile::GetLength(); }

private:
    // The flush behind the writes runs on a thread of its own, which a loaded machine may
    // start late: the failing write waits for it, so that it really fails during a flush.
    void AwaitAFlushUnderWay() const {
        for (int waited = 0; m_probe.flushesUnderWay == 0 && waited < 10000; waited += 5) ::Sleep(5);
    }

    FileProbe& m_probe;
};

}  // namespace

std::unique_ptr<CFile> ProbeView::NewJobFile() const { return std::make_unique<ProbeFile>(m_probe); }

void JobTest::SetUp() {
    // As the application object does at start-up: every box a job shows carries its name.
    AfxSetAppName("Kestrine");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA viewClass{};
    viewClass.lpfnWndProc = ViewProc;
    viewClass.hInstance = ::GetModuleHandleA(nullptr);
    viewClass.lpszClassName = kViewClass;
    ::RegisterClassA(&viewClass);  // fails harmlessly when already registered
    m_hViewWnd = ::CreateWindowExA(0, kViewClass, "view", WS_OVERLAPPEDWINDOW, 0, 0, 295, 135, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(m_hViewWnd, nullptr);
    m_hBar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 5, 40, 200, 12, m_hViewWnd, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(m_hBar, nullptr);
    g_barProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(m_hBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProc)));
    s_barMessages.clear();
    s_jobsDone = 0;
    s_doneParams.clear();

    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    char dir[MAX_PATH] = {};
    std::snprintf(dir, sizeof dir, "%skst-jobs-%lu-%lu", temp, ::GetCurrentProcessId(), ::GetTickCount());
    m_dir = dir;
    ASSERT_TRUE(::CreateDirectoryA(m_dir.c_str(), nullptr));
}

void JobTest::TearDown() {
    for (const auto& shown : m_driver.Shown()) EXPECT_FALSE(shown.unexpected) << "unexpected box: " << shown.text;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((m_dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string path = PathOf(found.cFileName);
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(m_dir.c_str());
    if (m_hViewWnd != nullptr) ::DestroyWindow(m_hViewWnd);
}

void JobTest::Prepare(CBlowfishView& view, const std::string& source, const std::string& dest, const char* password) {
    view.m_hWnd = m_hViewWnd;
    view.m_progress.m_hWnd = m_hBar;
    view.m_strSource = Wide(source);
    view.m_strDest = Wide(dest);
    if (password != nullptr) {
        view.m_strPassword = password;
        view.CopyPasswordToKey();
    }
}

void JobTest::RunJob(CBlowfishView& view, AFX_THREADPROC proc) {
    s_barMessages.clear();
    s_jobsDone = 0;
    s_doneParams.clear();
    view.m_bBusy = TRUE;
    ASSERT_NE(AfxBeginThread(proc, &view, THREAD_PRIORITY_NORMAL, 0, 0, nullptr), nullptr);
    ASSERT_TRUE(kst_test::PumpUntil([] { return s_jobsDone > 0; }, kJobTimeoutMs)) << "no WM_JOB_DONE";
    // Anything posted twice would show up now.
    kst_test::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(s_jobsDone, 1);
    for (const auto& params : s_doneParams) {
        EXPECT_EQ(params.first, 0u);
        EXPECT_EQ(params.second, 0);
    }
}

std::vector<int> JobTest::Positions() const {
    std::vector<int> positions;
    for (const auto& message : s_barMessages)
        if (message.message == PBM_SETPOS) positions.push_back(static_cast<int>(message.wParam));
    return positions;
}

bool JobTest::RangeCameFirst() const {
    for (const auto& message : s_barMessages) {
        if (message.message == PBM_SETPOS) return false;
        if (message.message == PBM_SETRANGE) return message.wParam == 0 && message.lParam == 0x00640000;
    }
    return false;
}

void JobTest::ExpectBoxes(const std::vector<std::string>& texts) {
    auto shown = m_driver.Shown();
    ASSERT_EQ(shown.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(shown[i].text, texts[i]);
        EXPECT_EQ(shown[i].caption, "Kestrine");
        EXPECT_EQ(shown[i].icon, 0u);
        EXPECT_FALSE(shown[i].unexpected);
        EXPECT_NE(shown[i].threadId, ::GetCurrentThreadId()) << "shown by the worker";
    }
    m_driver.Clear();
}

void JobTest::ExpectBothJobsRefuseTheDestination(const std::string& source, const std::string& dest) {
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    Prepare(m_view, source, dest, "pw");
    RunJob(m_view, EncryptThreadProc);
    ExpectBoxes({"Error opening destination file for encryption."});
    EXPECT_STREQ(m_view.JobEndText(), "Encrypting failed.");

    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    m_view.m_nDataOffset = 5;
    RunJob(m_view, DecryptThreadProc);
    ExpectBoxes({"Error opening destination file for decryption."});
    EXPECT_STREQ(m_view.JobEndText(), "Decrypting failed.");
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> PatternBytes(size_t length, uint8_t seed) { return testing_codec::Pattern(length, seed); }
