// The codec's byte streams over kst's open files. The sink counts what it writes into the
// progress meter and has the system start writing each piece to the disk at once, so the
// flush before the output is put in place overlaps the ciphering instead of following it.
#pragma once

#include "locked_format.h"
#include "platform.h"
#include "progress_meter.h"

namespace kst {

class FileSource : public lockedfile::ByteSource {
public:
    explicit FileSource(FileHandle& file) : m_file(file) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override { return m_file.Read(buffer, want, got); }

private:
    FileHandle& m_file;
};

class FileSink : public lockedfile::ByteSink {
public:
    // `file` is new and empty: the sink writes it from its first byte.
    FileSink(FileHandle& file, ProgressMeter& meter) : m_file(file), m_meter(meter), m_written(0) {}
    bool Write(const uint8_t* buffer, size_t count) override
    {
        if (!m_file.WriteAll(buffer, count))
            return false;
        StartWriteBack(m_file, m_written, count);
        m_written += count;
        m_meter.Add(count);
        return true;
    }

private:
    FileHandle& m_file;
    ProgressMeter& m_meter;
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
