#include "write_behind.h"

#ifdef __linux__
#include <fcntl.h>
#endif

namespace files {

namespace {

#ifdef __linux__
constexpr bool kSystemWritesRanges = true;

// Only a hint: a failure here leaves the bytes to the closing flush, which reports errors.
void StartWritingRange(File& file, uint64_t offset, uint64_t count)
{
    ::sync_file_range(file.Native(), off64_t(offset), off64_t(count), SYNC_FILE_RANGE_WRITE);
}
#else
constexpr bool kSystemWritesRanges = false;

void StartWritingRange(File&, uint64_t, uint64_t) {}
#endif

}  // namespace

WriteBehind::WriteBehind(File& file, uint64_t stretch, FlushFunction flush)
    : m_file(file), m_stretch(stretch), m_flush(std::move(flush)), m_written(0), m_unflushed(0), m_flushAsked(false),
      m_stopping(false), m_failed(false), m_thread()
{
    if (!kSystemWritesRanges)
        m_thread = std::thread(&WriteBehind::FlushWhenAsked, this);
}

WriteBehind::~WriteBehind()
{
    Finish();
}

void WriteBehind::Written(uint64_t count)
{
    if (kSystemWritesRanges) {
        StartWritingRange(m_file, m_written, count);
        m_written += count;
        return;
    }
    m_unflushed += count;
    if (m_unflushed < m_stretch)
        return;
    m_unflushed = 0;
    // A request made while a flush runs waits for that one to end; the requests between
    // two flushes are one, since a flush takes whatever was written before it.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_flushAsked = true;
    }
    m_asked.notify_one();
}

bool WriteBehind::Failed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}

bool WriteBehind::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_asked.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    return !m_failed;
}

void WriteBehind::FlushWhenAsked()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_asked.wait(lock, [this] { return m_flushAsked || m_stopping; });
        // What is still unwritten at the end is the closing flush's, on the writer's thread.
        if (m_stopping || m_failed)
            return;
        m_flushAsked = false;
        lock.unlock();
        bool flushed = false;
        try {
            flushed = m_flush ? m_flush() : m_file.Flush();
        } catch (...) {
            // Nothing may leave this thread; the writer learns of it as a failed write.
        }
        lock.lock();
        if (!flushed)
            m_failed = true;
    }
}

}  // namespace files
