// The ordered pipeline: a ring of chunk slots, each Free, then Read, then Ciphered, then
// Free again once written. The reader and the writer walk the ring in order; the workers
// take the read chunks in order but may finish them in any order.
#include "block_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace kst {

namespace {

constexpr size_t kBlockSize = 8;

enum class SlotState { Free, Read, Ciphered };

struct Slot {
    std::vector<uint8_t> bytes;
    size_t blocks = 0;
    size_t writeBytes = 0;
    SlotState state = SlotState::Free;
};

class Pipeline {
public:
    Pipeline(lockedfile::ByteSource& source, lockedfile::ByteSink& sink, const BlockPipelineJob& job)
        : m_source(source),
          m_sink(sink),
          m_job(job),
          m_chunkCount((job.inputBytes + job.chunkBytes - 1) / job.chunkBytes),
          // Two chunks per worker keep every worker busy while one chunk is read and one written.
          m_slots(2 * size_t(job.workers) + 2),
          m_nextCipher(0),
          m_readCount(0),
          m_status(PipelineStatus::Ok)
    {
        for (Slot& slot : m_slots)
            slot.bytes.resize(job.chunkBytes);
    }

    PipelineStatus Run(StopCheck stopRequested)
    {
        std::vector<std::thread> threads;
        try {
            threads.emplace_back(&Pipeline::WriteChunks, this);
            for (unsigned i = 0; i < m_job.workers; ++i)
                threads.emplace_back(&Pipeline::CipherChunks, this);
        } catch (...) {
            Fail(PipelineStatus::ReadFailed);
            JoinAll(threads);
            throw;
        }
        ReadChunks(stopRequested);
        JoinAll(threads);
        return m_status;
    }

private:
    static void JoinAll(std::vector<std::thread>& threads)
    {
        for (std::thread& thread : threads)
            thread.join();
    }

    void Fail(PipelineStatus status)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_status == PipelineStatus::Ok)
            m_status = status;
        m_changed.notify_all();
    }

    bool Failed() const { return m_status != PipelineStatus::Ok; }

    Slot& SlotOf(uint64_t chunk) { return m_slots[size_t(chunk % m_slots.size())]; }

    void ReadChunks(StopCheck stopRequested)
    {
        for (uint64_t chunk = 0; chunk < m_chunkCount; ++chunk) {
            if (stopRequested != nullptr && stopRequested()) {
                Fail(PipelineStatus::Stopped);
                return;
            }
            Slot& slot = SlotOf(chunk);
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return Failed() || slot.state == SlotState::Free; });
                if (Failed())
                    return;
            }
            const uint64_t offset = chunk * m_job.chunkBytes;
            const size_t want = size_t(std::min<uint64_t>(m_job.chunkBytes, m_job.inputBytes - offset));
            if (!ReadFully(slot.bytes.data(), want)) {
                Fail(PipelineStatus::ReadFailed);
                return;
            }
            slot.blocks = (want + kBlockSize - 1) / kBlockSize;
            std::fill(slot.bytes.begin() + want, slot.bytes.begin() + slot.blocks * kBlockSize, 0);
            slot.writeBytes = slot.blocks * kBlockSize;
            if (chunk + 1 == m_chunkCount)
                slot.writeBytes -= size_t(m_job.droppedAtEnd);
            std::lock_guard<std::mutex> lock(m_mutex);
            slot.state = SlotState::Read;
            ++m_readCount;
            m_changed.notify_all();
        }
    }

    bool ReadFully(uint8_t* buffer, size_t want)
    {
        size_t done = 0;
        while (done < want) {
            size_t got = 0;
            if (!m_source.Read(buffer + done, want - done, got) || got == 0)
                return false;
            done += got;
        }
        return true;
    }

    void CipherChunks()
    {
        for (;;) {
            uint64_t chunk;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] {
                    return Failed() || m_nextCipher == m_chunkCount || m_nextCipher < m_readCount;
                });
                if (Failed() || m_nextCipher == m_chunkCount)
                    return;
                chunk = m_nextCipher++;
            }
            Slot& slot = SlotOf(chunk);
            if (m_job.encipher)
                Blowfish_EncipherBlocks(*m_job.context, slot.bytes.data(), slot.blocks, HalfOrder::LittleEndian);
            else
                Blowfish_DecipherBlocks(*m_job.context, slot.bytes.data(), slot.blocks, HalfOrder::LittleEndian);
            std::lock_guard<std::mutex> lock(m_mutex);
            slot.state = SlotState::Ciphered;
            m_changed.notify_all();
        }
    }

    void WriteChunks()
    {
        for (uint64_t chunk = 0; chunk < m_chunkCount; ++chunk) {
            Slot& slot = SlotOf(chunk);
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return Failed() || slot.state == SlotState::Ciphered; });
                if (Failed())
                    return;
            }
            if (!m_sink.Write(slot.bytes.data(), slot.writeBytes)) {
                Fail(PipelineStatus::WriteFailed);
                return;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            slot.state = SlotState::Free;
            m_changed.notify_all();
        }
    }

    lockedfile::ByteSource& m_source;
    lockedfile::ByteSink& m_sink;
    const BlockPipelineJob& m_job;
    const uint64_t m_chunkCount;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_nextCipher;  // the next chunk a worker takes
    uint64_t m_readCount;   // chunks read so far
    PipelineStatus m_status;
};

}  // namespace

PipelineStatus RunBlockPipeline(lockedfile::ByteSource& source, lockedfile::ByteSink& sink,
                                const BlockPipelineJob& job, StopCheck stopRequested)
{
    if (job.inputBytes == 0)
        return PipelineStatus::Ok;
    Pipeline pipeline(source, sink, job);
    return pipeline.Run(stopRequested);
}

}  // namespace kst
