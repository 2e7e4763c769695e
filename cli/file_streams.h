// The codec's byte streams over kst's open files. The sink counts what it writes into the
// progress meter and has the system start writing each piece to the disk at once, so the
// flush before the output is put in place overlaps the ciphering instead of following it.
#pragma once

#include "locked_format.h"
#include "platform.h"
#include "progress_meter.h"

namespace kst {

// Both keep the system's reason for their first failure, taken on the thread that failed.
class FileSource : public lockedfile::ByteSource {
public:
    explicit FileSource(FileHandle& file) : m_file(file), m_failure() {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        if (m_file.Read(buffer, want, got))
            return true;
        if (m_failure.empty())
            m_failure = LastErrorText();
        return false;
    }
    const std::string& Failure() const { return m_failure; }

private:
    FileHandle& m_file;
    std::string m_failure;
};

class FileSink : public lockedfile::ByteSink {
public:
    // `file` is new and empty: the sink writes it from its first byte.
    FileSink(FileHandle& file, ProgressMeter& meter) : m_file(file), m_meter(meter), m_failure(), m_written(0) {}
    bool Write(const uint8_t* buffer, size_t count) override
    {
        if (!m_file.WriteAll(buffer, count)) {
            if (m_failure.empty())
                m_failure = LastErrorText();
            return false;
        }
        StartWriteBack(m_file, m_written, count);
        m_written += count;
        m_meter.Add(count);
        return true;
    }
    const std::string& Failure() const { return m_failure; }

private:
    FileHandle& m_file;
    ProgressMeter& m_meter;
    std::string m_failure;
    uint64_t m_written;
};

// The codec's progress positions are not needed here; its stop question is the signal flag.
class InterruptProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override {}
    void SetPos(int) override {}
    bool StopRequested() override { return InterruptRequested(); }
};

}  // namespace kst
