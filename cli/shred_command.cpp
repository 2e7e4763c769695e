// shred: the core's shred pass over a file, as the program shreds: zero bytes in place,
// chunk by chunk, each forced to disk before the next. The file keeps its name and length.
#include "commands.h"
#include "exit_status.h"
#include "interrupt_progress.h"
#include "open.h"
#include "platform.h"
#include "progress_meter.h"
#include "shred_pass.h"

namespace kst {

namespace {

class FileShredTarget : public lockedfile::ShredTarget {
public:
    FileShredTarget(files::File& file, ProgressMeter& meter) : m_file(file), m_meter(meter), m_unflushed(0) {}
    bool Write(const uint8_t* buffer, size_t count) override
    {
        m_unflushed += count;
        return m_file.WriteAll(buffer, count);
    }
    // The meter counts what is on the disk.
    bool Flush() override
    {
        if (!m_file.Flush())
            return false;
        m_meter.Add(m_unflushed);
        m_unflushed = 0;
        return true;
    }

private:
    files::File& m_file;
    ProgressMeter& m_meter;
    uint64_t m_unflushed;
};

}  // namespace

int RunShred(const Options& options)
{
    files::File file;
    uint64_t length = 0;
    const files::Result opened =
        files::OpenRegular(options.file, files::Access::Write, files::Sharing::None, file, length);
    if (!opened.ok)
        return Refuse(kExitIoError, options.file + ": " + opened.reason);

    ProgressMeter meter(!options.quiet && StderrIsTerminal(), "shredding", length);
    FileShredTarget target(file, meter);
    InterruptProgress interrupt;
    switch (lockedfile::ShredPass(target, length, interrupt)) {
    case lockedfile::ShredStatus::Stopped:
        return Refuse(InterruptExitStatus(), "interrupted; " + options.file + " is only partly shredded");
    case lockedfile::ShredStatus::WriteFailed:
        return Refuse(kExitIoError, "error writing " + options.file + "; it is only partly shredded");
    case lockedfile::ShredStatus::Done:
        break;
    }
    if (!file.Close())
        return Refuse(kExitIoError, "error writing " + options.file);
    return kExitDone;
}

}  // namespace kst
