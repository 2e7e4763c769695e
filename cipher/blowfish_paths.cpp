// The dispatcher: a table of the paths, what each needs of the processor, and the choice.
#include "blowfish_paths.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "blowfish_block.h"
#include "processor_features.h"

using namespace blowfish_detail;

namespace {

bool Always() { return true; }

struct PathEntry {
    BlowfishPath path;
    const char* name;
    BlockTransform transform;  // nullptr: not in this build
    bool (*runsHere)();
};

#if defined(__x86_64__) || defined(__i386__)
constexpr BlockTransform kAvx2 = TransformAvx2Gather;
#else
constexpr BlockTransform kAvx2 = nullptr;
#endif
// The byte-sliced path hands its leftover blocks to the BMI1 path in the 64-bit build, and
// to the AVX2 path in the 32-bit one, which has too few registers for the BMI1 path.
#if defined(__x86_64__)
constexpr BlockTransform kScalarBmi = TransformScalarBmi;
constexpr BlockTransform kByteSliced = TransformByteSliced;
bool RunsByteSliced()
{
    return ProcessorRunsAvx512Vbmi() && ProcessorRunsBmi1();
}
#elif defined(__i386__)
constexpr BlockTransform kScalarBmi = nullptr;
constexpr BlockTransform kByteSliced = TransformByteSliced;
bool RunsByteSliced()
{
    return ProcessorRunsAvx512Vbmi() && ProcessorRunsAvx2();
}
#else
constexpr BlockTransform kScalarBmi = nullptr;
constexpr BlockTransform kByteSliced = nullptr;
bool RunsByteSliced()
{
    return false;
}
#endif

// In the dispatcher's order of preference, fastest first as measured on our machines.
const PathEntry kPathTable[] = {
    {BlowfishPath::ByteSliced, "avx512vbmi", kByteSliced, RunsByteSliced},
    {BlowfishPath::ScalarBmi, "bmi5", kScalarBmi, ProcessorRunsBmi1},
    {BlowfishPath::Avx2Gather, "avx2", kAvx2, ProcessorRunsAvx2},
    {BlowfishPath::Interleave4, "interleave4", TransformInterleaved4, Always},
};

const PathEntry& EntryOf(BlowfishPath path)
{
    for (const PathEntry& entry : kPathTable)
        if (entry.path == path)
            return entry;
    return kPathTable[sizeof kPathTable / sizeof *kPathTable - 1];
}

bool Supported(const PathEntry& entry)
{
    return entry.transform != nullptr && entry.runsHere();
}

const PathEntry& AutomaticEntry()
{
    static const PathEntry& chosen = [] () -> const PathEntry& {
        const char* named = std::getenv("KST_BLOWFISH_PATH");
        for (const PathEntry& entry : kPathTable)
            if (named != nullptr && std::strcmp(named, entry.name) == 0 && Supported(entry))
                return entry;
        for (const PathEntry& entry : kPathTable)
            if (Supported(entry))
                return entry;
        return EntryOf(BlowfishPath::Interleave4);
    }();
    return chosen;
}

// Process-wide like the processor it describes: the path a test or benchmark forced, if any.
std::atomic<const PathEntry*> g_forced{nullptr};

const PathEntry& CurrentEntry()
{
    const PathEntry* forced = g_forced.load(std::memory_order_acquire);
    return forced != nullptr ? *forced : AutomaticEntry();
}

bool RunOn(BlowfishPath path, const BlowfishContext& context, uint8_t* bytes, size_t blockCount,
           HalfOrder order, Direction direction)
{
    const PathEntry& entry = EntryOf(path);
    if (!Supported(entry))
        return false;
    entry.transform(context, bytes, blockCount, order, direction);
    return true;
}

}  // namespace

const char* BlowfishPathName(BlowfishPath path)
{
    return EntryOf(path).name;
}

bool BlowfishPathInBuild(BlowfishPath path)
{
    return EntryOf(path).transform != nullptr;
}

bool BlowfishPathSupported(BlowfishPath path)
{
    return Supported(EntryOf(path));
}

BlowfishPath BlowfishChosenPath()
{
    return CurrentEntry().path;
}

bool BlowfishForcePath(BlowfishPath path)
{
    const PathEntry& entry = EntryOf(path);
    if (!Supported(entry))
        return false;
    g_forced.store(&entry, std::memory_order_release);
    return true;
}

void BlowfishUnforcePath()
{
    g_forced.store(nullptr, std::memory_order_release);
}

bool Blowfish_EncipherBlocksOn(BlowfishPath path, const BlowfishContext& context, uint8_t* bytes,
                               size_t blockCount, HalfOrder order)
{
    return RunOn(path, context, bytes, blockCount, order, Direction::Encipher);
}

bool Blowfish_DecipherBlocksOn(BlowfishPath path, const BlowfishContext& context, uint8_t* bytes,
                               size_t blockCount, HalfOrder order)
{
    return RunOn(path, context, bytes, blockCount, order, Direction::Decipher);
}

void blowfish_detail::TransformOnChosenPath(const BlowfishContext& context, uint8_t* bytes, size_t blockCount,
                                            HalfOrder order, Direction direction)
{
    CurrentEntry().transform(context, bytes, blockCount, order, direction);
}
