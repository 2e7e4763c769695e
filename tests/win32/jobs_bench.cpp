// Prints how fast the encrypt and decrypt jobs run end to end with one cipher thread and
// with one per processor, beside the raw cipher on one core in the same process, how many
// progress messages a job sends, how long its last flush of the new file took, the same
// reads and writes without the cipher (what the files alone allow, with and without the
// job's closing flush) and the peak memory of the process. Then each stage of a job
// alone, so that one can tell where a job's time goes: the reads as a job makes them,
// the cipher on the job's threads with nothing handed over, the runner with its
// hand-overs between memory buffers, and the writes of a job's new file with the
// flushing behind them and the commit. Last, the limit the machine sets for each size
// (the lesser of the processors times the raw cipher and the copy with its flush) and
// each job's share of it on one thread per processor.
// Run by hand under Wine: jobs_bench.exe [size in MiB ...]   (default: 16 256)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "block_runner.h"
#include "blowfish.h"
#include "blowfish_key_context.h"
#include "blowfish_view.h"
#include "file.h"
#include "job_streams.h"
#include "locked_format.h"
#include "message_pump.h"
#include "app_messages.h"
#include "thread.h"
#include "wide_paths.h"

using kst_test::Narrow;
using kst_test::Wide;

namespace {

int g_progressMessages = 0;
bool g_done = false;
WNDPROC g_barProc = nullptr;

LRESULT CALLBACK CountingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS || message == PBM_SETRANGE) ++g_progressMessages;
    return ::CallWindowProcA(g_barProc, window, message, wParam, lParam);
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_JOB_DONE) {
        g_done = true;
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

bool WritePattern(const std::string& path, size_t mib) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<unsigned char> chunk(1 << 20);
    unsigned state = 12345;
    for (auto& value : chunk) value = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16);
    bool ok = true;
    for (size_t i = 0; i < mib && ok; ++i) {
        DWORD done = 0;
        ok = ::WriteFile(file, chunk.data(), DWORD(chunk.size()), &done, nullptr) && done == chunk.size();
    }
    ::CloseHandle(file);
    return ok;
}

// Writes `mib` MiB to a scratch file and deletes it again, so that the timed run that
// follows finds that much memory just given back. Virtual machines that hand memory their
// guest has freed back to the host (free page reporting, as on Firecracker) make the first
// use of it again far slower: a new file of 256 MiB then took 1 s to write instead of
// 0.1 s. Each timed run starts after the same warming, so that the jobs and the copies
// compare as they would on a machine of its own.
void RecycleMemory(const std::string& scratch, size_t mib) {
    WritePattern(scratch, mib);
    ::DeleteFileA(scratch.c_str());
}

// The processor time this process has used, all its threads together.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return double(uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The time of the latest flush of any file the view's jobs opened: a job's new file is
// flushed last, once everything is written, before it replaces the destination.
double g_lastFlushSeconds = 0;

class FlushTimingFile : public CFile {
public:
    bool Flush() override {
        const double start = Seconds();
        const bool flushed = CFile::Flush();
        g_lastFlushSeconds = Seconds() - start;
        return flushed;
    }
};

class BenchView : public CBlowfishView {
public:
    std::unique_ptr<CFile> NewJobFile() const override { return std::unique_ptr<CFile>(new FlushTimingFile); }
};

// Runs one job as the view does and returns its seconds; counts its progress messages and
// the processor seconds it took (above its seconds when its threads really ran at once).
double RunJob(CBlowfishView& view, AFX_THREADPROC proc, int& messages, double& processorSeconds) {
    g_progressMessages = 0;
    g_done = false;
    g_lastFlushSeconds = 0;
    const double start = Seconds(), processorStart = ProcessorSeconds();
    AfxBeginThread(proc, &view);
    kst_test::PumpUntil([] { return g_done; }, 3600 * 1000);
    messages = g_progressMessages;
    processorSeconds = ProcessorSeconds() - processorStart;
    return Seconds() - start;
}

void PrintPeakMemory(const char* when) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf("  peak memory %s: working set %.1f MiB, pagefile %.1f MiB\n", when,
                counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0);
}

// The engine alone on this thread: 16 MiB through a 4 MiB buffer, small beside a job's
// chunks so that it hardly counts in the peak memory.
double RawCipherMegabytesPerSecond() {
    std::vector<uint8_t> buffer(4 << 20, 0x5A);
    Blowfish_Init(reinterpret_cast<const uint8_t*>("benchmark"), 9);
    double start = Seconds();
    for (int pass = 0; pass < 4; ++pass)
        Blowfish_EncipherBlocks(buffer.data(), buffer.size() / 8, HalfOrder::LittleEndian);
    double seconds = Seconds() - start;
    Blowfish_Reset();
    return 4 * buffer.size() / 1e6 / seconds;
}

// The same reads and writes as a job, with nothing ciphered: what the files alone allow;
// with `flush`, flushed at the end as a job's new file is.
double CopySeconds(const std::string& from, const std::string& to, bool flush) {
    g_lastFlushSeconds = 0;
    double start = Seconds();
    CFile source, dest;
    if (!source.Open(Wide(from), CFile::modeRead | CFile::shareDenyWrite) ||
        !dest.Open(Wide(to), CFile::modeCreate | CFile::modeReadWrite))
        return 0;
    std::vector<uint8_t> chunk(lockedfile::kLargeThreadedChunk.Bytes());
    UINT got = 0;
    while (source.Read(chunk.data(), UINT(chunk.size()), got) && got > 0)
        if (!dest.Write(chunk.data(), got)) break;
    source.Close();
    if (flush) {
        const double flushStart = Seconds();
        dest.Flush();
        g_lastFlushSeconds = Seconds() - flushStart;
    }
    dest.Close();
    return Seconds() - start;
}

// Reads a file as a job does, through a CFile and the job's source, in chunks; from `offset` on, where the first byte is read alone as decrypt's tail count is.
double ReadSeconds(const std::string& path, uint64_t offset) {
    double start = Seconds();
    CFile file;
    if (!file.Open(Wide(path), CFile::modeRead | CFile::shareDenyWrite)) return 0;
    file.Seek(int64_t(offset), CFile::begin);
    files::FileSource reader = JobSource(file);
    std::vector<uint8_t> chunk(lockedfile::kLargeThreadedChunk.Bytes());
    size_t got = 0;
    if (offset > 0) lockedfile::ReadFully(reader, chunk.data(), 1, got);
    while (lockedfile::ReadFully(reader, chunk.data(), chunk.size(), got) && got == chunk.size()) {
    }
    return Seconds() - start;
}

// The cipher alone on `threads` threads, each on a chunk of its own, nothing handed over:
// what the processors allow.
double CipherSeconds(size_t mib, unsigned threads) {
    BlowfishKeyContext key;
    key.Key(reinterpret_cast<const uint8_t*>("benchmark"), 9);
    const size_t chunks = mib * 1048576 / lockedfile::kLargeThreadedChunk.Bytes();
    const double start = Seconds();
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            std::vector<uint8_t> chunk(lockedfile::kLargeThreadedChunk.Bytes(), uint8_t(t));
            for (size_t i = t; i < chunks; i += threads)
                Blowfish_EncipherBlocks(key.Context(), chunk.data(), chunk.size() / 8, HalfOrder::LittleEndian);
        });
    for (std::thread& worker : workers) worker.join();
    return Seconds() - start;
}

// A source that hands out the same pattern until `length` bytes, and a sink that keeps
// nothing: the runner's reads, hand-overs and writes without any file.
class PatternSource : public lockedfile::ByteSource {
public:
    explicit PatternSource(uint64_t length) : m_left(length), m_pattern(1 << 16, 0x5A) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override {
        got = size_t(std::min<uint64_t>(want, m_left));
        for (size_t done = 0; done < got; done += m_pattern.size())
            std::memcpy(buffer + done, m_pattern.data(), std::min(m_pattern.size(), got - done));
        m_left -= got;
        return true;
    }

private:
    uint64_t m_left;
    std::vector<uint8_t> m_pattern;
};
class DiscardingSink : public lockedfile::ByteSink {
public:
    bool Write(const uint8_t*, size_t) override { return true; }
};
class SilentProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override {}
    void SetPos(int) override {}
};

double RunnerSeconds(size_t mib, unsigned threads, unsigned processors) {
    const uint64_t length = uint64_t(mib) << 20;
    PatternSource source(length);
    DiscardingSink sink;
    SilentProgress progress;
    BlowfishKeyContext key;
    const double start = Seconds();
    lockedfile::EncryptStream(source, length, "kst-bench.bin", sink, reinterpret_cast<const uint8_t*>("benchmark"), 9,
                              key, progress,
                              lockedfile::RunnerFor(threads, length, processors, lockedfile::kLargeThreadedChunk));
    return Seconds() - start;
}

// Writes a job's new file from memory as a job does: a pending file beside `dest`, the
// header, then chunks through the job's sink with the flushing behind, the closing flush
// and the commit.
double WriteSeconds(const std::string& source, const std::string& dest, size_t mib) {
    g_lastFlushSeconds = 0;
    CFile from;
    if (!from.Open(Wide(source), CFile::modeRead | CFile::shareDenyWrite)) return 0;
    const double start = Seconds();
    FlushTimingFile file;
    if (!file.OpenPending(Wide(dest), from)) return 0;
    std::vector<uint8_t> chunk(lockedfile::kLargeThreadedChunk.Bytes(), 0xA5);
    {
        CJobWriteBehind writeBehind(file);
        files::FileSink writer = JobSink(file, writeBehind);
        const std::vector<uint8_t> header = lockedfile::BuildHeader("kst-bench.bin", uint64_t(mib) << 20);
        writer.Write(header.data(), header.size());
        for (size_t i = 0; i < mib * 1048576 / chunk.size(); ++i) writer.Write(chunk.data(), chunk.size());
        writer.Finish();
    }
    file.Commit();
    return Seconds() - start;
}

struct JobFigure {
    size_t mib;
    const char* job;
    unsigned threads;
    double seconds;
    int messages;
    double processorSeconds;
    double flushSeconds;  // the closing flush of the new file
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {16, 256};

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA viewClass{};
    viewClass.lpfnWndProc = ViewProc;
    viewClass.hInstance = ::GetModuleHandleA(nullptr);
    viewClass.lpszClassName = "KestrineBenchView";
    ::RegisterClassA(&viewClass);
    HWND viewWindow = ::CreateWindowExA(0, "KestrineBenchView", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 295, 135, nullptr,
                                        nullptr, ::GetModuleHandleA(nullptr), nullptr);
    HWND bar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 5, 40, 200, 12, viewWindow, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    g_barProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingBarProc)));

    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    const std::string plain = std::string(temp) + "kst-bench.bin";
    const std::string locked = std::string(temp) + "kst-bench.kst";
    const std::string back = std::string(temp) + "kst-bench.out";
    const std::string scratch = std::string(temp) + "kst-bench.tmp";

    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const double rawBefore = RawCipherMegabytesPerSecond();

    BenchView view;
    view.m_hWnd = viewWindow;
    view.m_progress.m_hWnd = bar;
    std::vector<JobFigure> figures;
    for (size_t mib : sizes) {
        if (!WritePattern(plain, mib)) {
            std::printf("cannot write %zu MiB test file\n", mib);
            return 1;
        }
        for (unsigned threads : {1u, processors}) {
            view.m_nCipherThreads = threads;
            auto run = [&](const char* job, AFX_THREADPROC proc) {
                // A job wipes its key when it ends, as the view has the password typed again.
                view.m_strPassword = "benchmark";
                view.CopyPasswordToKey();
                // A new file, as the copies write: replacing the last run's file would add
                // the freeing of its memory to the job (0.06 s for 256 MiB).
                ::DeleteFileW(view.m_strDest.c_str());
                RecycleMemory(scratch, mib);
                int messages = 0;
                double processorSeconds = 0;
                const double seconds = RunJob(view, proc, messages, processorSeconds);
                if (!view.JobComplete()) {
                    std::printf("the %zu MiB %s job failed: no figures\n", mib, job);
                    std::exit(1);
                }
                figures.push_back({mib, job, threads, seconds, messages, processorSeconds, g_lastFlushSeconds});
            };
            view.m_strSource = Wide(plain);
            view.m_strDest = Wide(locked);
            run("encrypt", EncryptThreadProc);
            view.m_strSource = Wide(locked);
            view.m_strDest = Wide(back);
            view.m_nDataOffset = 5 + 13;  // "kst-bench.bin"
            run("decrypt", DecryptThreadProc);
            if (processors == 1) break;
        }
        for (bool flush : {false, true}) {
            RecycleMemory(scratch, mib);
            const double copyStart = ProcessorSeconds();
            const double copySeconds = CopySeconds(plain, back, flush);
            figures.push_back({mib, flush ? "copy+flush" : "copy", 1, copySeconds, 0, ProcessorSeconds() - copyStart,
                               g_lastFlushSeconds});
            ::DeleteFileA(back.c_str());
        }
        // Each stage alone.
        RecycleMemory(scratch, mib);
        figures.push_back({mib, "read", 1, ReadSeconds(plain, 0), 0, 0, 0});
        figures.push_back({mib, "read+19", 1, ReadSeconds(plain, 18), 0, 0, 0});
        for (unsigned threads : {1u, processors}) {
            const double processorStart = ProcessorSeconds();
            const double seconds = CipherSeconds(mib, threads);
            figures.push_back({mib, "cipher", threads, seconds, 0, ProcessorSeconds() - processorStart, 0});
        }
        for (unsigned threads : {1u, processors}) {
            const double processorStart = ProcessorSeconds();
            const double seconds = RunnerSeconds(mib, threads, processors);
            figures.push_back({mib, "runner", threads, seconds, 0, ProcessorSeconds() - processorStart, 0});
        }
        {
            RecycleMemory(scratch, mib);
            const double processorStart = ProcessorSeconds();
            const double seconds = WriteSeconds(plain, back, mib);
            figures.push_back({mib, "write+flush", 1, seconds, 0, ProcessorSeconds() - processorStart,
                               g_lastFlushSeconds});
            ::DeleteFileA(back.c_str());
        }
        const std::string when = "after the " + std::to_string(mib) + " MiB jobs";
        PrintPeakMemory(when.c_str());
        ::DeleteFileA(plain.c_str());
        ::DeleteFileA(locked.c_str());
        ::DeleteFileA(back.c_str());
    }
    ::DestroyWindow(viewWindow);
    const double rawAfter = RawCipherMegabytesPerSecond();
    const double raw = std::max(rawBefore, rawAfter);

    std::printf("%u processors; raw cipher on one core (Blowfish_EncipherBlocks, in memory): %.1f MB/s before the "
                "jobs, %.1f MB/s after\n",
                processors, rawBefore, rawAfter);
    if (rawBefore < 0.8 * rawAfter || rawAfter < 0.8 * rawBefore)
        std::printf("note: the raw figures differ by more than 20%%: other work on this machine disturbs them\n");
    std::printf("%8s  %-11s %7s %9s %9s %11s %9s %10s %9s\n", "size", "job", "threads", "seconds", "MB/s", "x raw",
                "messages", "cpu/wall", "flush s");
    for (const JobFigure& figure : figures) {
        const double rate = figure.mib * 1.048576 / figure.seconds;
        std::printf("%5zu MiB  %-11s %7u %9.2f %9.1f %10.2fx %9d %10.2f %9.3f\n", figure.mib, figure.job,
                    figure.threads, figure.seconds, rate, rate / raw, figure.messages,
                    figure.processorSeconds / figure.seconds, figure.flushSeconds);
    }
    auto rateOf = [&](size_t mib, const char* job, unsigned threads) {
        for (const JobFigure& figure : figures)
            if (figure.mib == mib && figure.threads == threads && std::strcmp(figure.job, job) == 0)
                return figure.mib * 1.048576 / figure.seconds;
        return 0.0;
    };
    for (size_t mib : sizes) {
        const double limit = std::min(processors * raw, rateOf(mib, "copy+flush", 1));
        std::printf("%5zu MiB: limit %.1f MB/s (min of %u x raw, copy+flush); on %u threads encrypt %.2f, decrypt "
                    "%.2f of it\n",
                    mib, limit, processors, processors, rateOf(mib, "encrypt", processors) / limit,
                    rateOf(mib, "decrypt", processors) / limit);
    }
    return 0;
}
