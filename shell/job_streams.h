// The codec's streams (files/file_streams.h) through the framework's CFile, so that what a
// test stands in for a job's file sees every read, write and flush, and the flushing behind
// the writes of a job's new file.
#pragma once

#include <algorithm>

#include "file.h"
#include "file_streams.h"
#include "write_behind.h"

inline files::FileSource JobSource(CFile& file) {
    return files::FileSource(
        [&file](uint8_t* buffer, size_t want, size_t& got) {
            UINT read = 0;
            const bool ok = file.Read(buffer, static_cast<UINT>(std::min(want, files::File::kMaxTransfer)), read);
            got = read;
            return ok;
        },
        files::FileSource::kReadAhead);
}

inline files::FileSink JobSink(CFile& file, files::WriteBehind& writeBehind) {
    return files::FileSink(
        [&file](const uint8_t* buffer, size_t count) {
            for (size_t done = 0; done < count;) {
                const size_t piece = std::min(count - done, files::File::kMaxTransfer);
                if (!file.Write(buffer + done, static_cast<UINT>(piece))) return false;
                done += piece;
            }
            return true;
        },
        &writeBehind);
}

// Flushes a job's new file through the CFile each time another stretch has been written.
class CJobWriteBehind : public files::WriteBehind {
public:
    explicit CJobWriteBehind(CFile& file)
        : files::WriteBehind(file.FileHandle(), kStretch, [&file] { return file.Flush(); }) {}
};
