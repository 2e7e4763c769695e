// Starts putting a new file's bytes on the disk while it is still being written, so that
// the closing flush, which must finish before the file may replace anything, finds little
// left to do. Where the system can be asked to start writing a range without waiting
// (Linux), each piece is handed to it as it is written. Elsewhere a thread of its own
// flushes the file each time another stretch has been written; the writer only marks
// that, it never waits for a flush.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "file_handle.h"
#include "pending_file.h"

namespace files {

class WriteBehind {
public:
    // Flushes `file` with `flush` (its own Flush when empty) each time another `stretch`
    // bytes were written to it.
    WriteBehind(File& file, uint64_t stretch, FlushFunction flush = nullptr);
    // Stops the flushing thread and waits for it: it never outlives the file's writer.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Counts `count` more bytes written at the end of the file.
    void Written(uint64_t count);
    // Whether a flush has failed: the disk did not take bytes already written.
    bool Failed();
    // Waits for the flush under way, if any, and stops the thread; false when a flush failed.
    bool Finish();

    // How much a new file takes between two flushes, where a thread flushes it.
    static constexpr uint64_t kStretch = 8 << 20;

private:
    void FlushWhenAsked();

    File& m_file;
    const uint64_t m_stretch;
    const FlushFunction m_flush;
    uint64_t m_written;    // on the writer's thread alone
    uint64_t m_unflushed;  // bytes written since the last request, on the writer's thread alone
    std::mutex m_mutex;
    std::condition_variable m_asked;
    bool m_flushAsked;
    bool m_stopping;
    bool m_failed;
    std::thread m_thread;  // last: started once everything it uses is set
};

}  // namespace files
