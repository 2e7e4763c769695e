// Byte streams over memory for kst's tests, and the codec's own output to compare with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <cstring>
#include <vector>

#include "codec_fakes.h"
#include "locked_format.h"

// The codec's own test streams: a source that can fail at a chosen byte, a sink that can
// refuse writes past a chosen count, and a progress sink that only records.
using testing_codec::MemorySink;
using testing_codec::MemorySource;
using SilentProgress = testing_codec::RecordingProgress;

using testing_codec::Pattern;

// What the codec itself writes for these bytes: the reference kst must match.
inline std::vector<uint8_t> CodecLocked(const std::vector<uint8_t>& plain, const std::string& storedName,
                                        const std::string& password)
{
    MemorySource source(plain);
    MemorySink sink;
    SilentProgress progress;
    lockedfile::EncryptStream(source, plain.size(), storedName, sink,
                              reinterpret_cast<const uint8_t*>(password.data()), int(password.size()), progress);
    return sink.bytes;
}
