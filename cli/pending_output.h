// An output that appears under its name only when it is complete: written to a temporary
// file in the destination's folder, flushed to disk, then renamed. Until then the
// destination, if any, is untouched; a pending output that is never committed is removed.
#pragma once

#include <string>

#include "platform.h"

namespace kst {

enum class CommitStatus { Done, Exists, Failed };

class PendingOutput {
public:
    explicit PendingOutput(std::string destination);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    FileResult Create();
    FileHandle& File() { return m_file; }
    const std::string& TemporaryPath() const { return m_temporaryPath; }
    CommitStatus Commit(bool replace, std::string& reason);

private:
    const std::string m_destination;
    std::string m_temporaryPath;
    FileHandle m_file;
    bool m_committed;
};

}  // namespace kst
