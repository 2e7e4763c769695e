// Starts putting a new file's bytes on the disk while the job is still writing it, so that
// the closing flush, which must finish before the file may replace anything, finds little
// left to do. A thread of the sink's own flushes the file each time another stretch has
// been written; the writer only marks that, never waits for a flush.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "file.h"

class WriteBehind {
public:
    // Flushes `file` each time another `stretch` bytes were written to it.
    WriteBehind(CFile& file, uint64_t stretch);
    // Stops the flushing thread and waits for it: it never outlives the file's sink.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Counts `count` more bytes written; wakes the flushing thread once a stretch is full.
    void Written(uint64_t count);
    // Whether a flush has failed: the disk did not take the bytes, a write failure.
    bool Failed();
    // Waits for the flush under way, if any, and stops the thread; false when a flush failed.
    bool Finish();

private:
    void FlushWhenAsked();

    CFile& m_file;
    const uint64_t m_stretch;
    uint64_t m_unflushed;  // bytes written since the last request, on the writer's thread alone
    std::mutex m_mutex;
    std::condition_variable m_asked;
    bool m_flushAsked;
    bool m_stopping;
    bool m_failed;
    std::thread m_thread;  // last: started once everything it uses is set
};
