#include "write_behind.h"

WriteBehind::WriteBehind(CFile& file, uint64_t stretch)
    : m_file(file),
      m_stretch(stretch),
      m_unflushed(0),
      m_flushAsked(false),
      m_stopping(false),
      m_failed(false),
      m_thread(&WriteBehind::FlushWhenAsked, this) {}

WriteBehind::~WriteBehind() { Finish(); }

void WriteBehind::Written(uint64_t count) {
    m_unflushed += count;
    if (m_unflushed < m_stretch) return;
    m_unflushed = 0;
    // A request made while a flush runs waits for that one to end; the requests between
    // two flushes are one, since a flush takes whatever was written before it.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_flushAsked = true;
    }
    m_asked.notify_one();
}

bool WriteBehind::Failed() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}

bool WriteBehind::Finish() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_asked.notify_one();
    if (m_thread.joinable()) m_thread.join();
    return !m_failed;
}

void WriteBehind::FlushWhenAsked() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_asked.wait(lock, [this] { return m_flushAsked || m_stopping; });
        // What is still unwritten at the end is the closing flush's, on the writer's thread.
        if (m_stopping || m_failed) return;
        m_flushAsked = false;
        lock.unlock();
        bool flushed = false;
        try {
            flushed = m_file.Flush();
        } catch (...) {
            // Nothing may leave this thread; the job learns of it as a failed write.
        }
        lock.lock();
        if (!flushed) m_failed = true;
    }
}
