// The threaded runner: a ring of chunk slots, each Free, then Read, then Ciphered, then Free
// again once written. One thread reads the chunks into the ring in order, the workers take
// them in order but may finish them in any order, and the calling thread writes them in
// order, reports progress and honours a stop, exactly where the serial runner does.
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "block_run.h"

namespace lockedfile {

namespace {

enum class SlotState { Free, Read, Ciphered };

struct Slot {
    std::vector<uint8_t> bytes;
    SlotState state = SlotState::Free;
};

class Pipeline {
public:
    Pipeline(ByteSource& source, ByteSink& sink, const BlockRun& run, const BlockRunner& runner, ProgressTrack& track)
        : m_source(source),
          m_sink(sink),
          m_run(run),
          m_workers(runner.Workers()),
          m_plan(run, runner.Chunk()),
          m_track(track),
          // Two chunks per worker keep every worker busy while one chunk is read and one written.
          m_slots(2 * size_t(m_workers) + 2),
          m_nextCipher(0),
          m_readCount(0),
          m_status(CodecStatus::Ok)
    {
        for (Slot& slot : m_slots)
            slot.bytes.resize(runner.Chunk().Bytes());
    }

    // Starts the workers, then the reader, so that nothing is read before a worker runs.
    // Workers that cannot start (a process or memory limit) leave the work to those that
    // did. False when no worker or no reader could start: then nothing was read, every
    // thread that started has ended, and the chunks are the caller's to run.
    bool Start()
    {
        m_threads.reserve(size_t(m_workers) + 1);
        for (unsigned i = 0; i < m_workers; ++i) {
            if (!StartThread(&Pipeline::CipherChunks))
                break;
        }
        if (m_threads.empty())
            return false;
        if (!StartThread(&Pipeline::ReadChunks)) {
            // The workers waiting for chunks give up.
            Fail(CodecStatus::Stopped);
            JoinAll();
            return false;
        }
        return true;
    }

    // Writes on the calling thread while the started threads read and cipher.
    CodecStatus Run()
    {
        Guarded(&Pipeline::WriteChunks);
        JoinAll();
        if (m_exception)
            std::rethrow_exception(m_exception);
        return m_status;
    }

private:
    bool StartThread(void (Pipeline::*part)())
    {
        try {
            m_threads.emplace_back(&Pipeline::Guarded, this, part);
            return true;
        } catch (...) {
            return false;
        }
    }

    void JoinAll()
    {
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
    }

    // An exception must not end the process from a thread of ours: it ends the run, and the
    // calling thread rethrows it once all have stopped.
    void Guarded(void (Pipeline::*part)())
    {
        try {
            (this->*part)();
        } catch (...) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_exception)
                m_exception = std::current_exception();
            FailLocked(CodecStatus::ReadFailed);
        }
    }

    void Fail(CodecStatus status)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        FailLocked(status);
    }

    void FailLocked(CodecStatus status)
    {
        if (m_status == CodecStatus::Ok)
            m_status = status;
        m_changed.notify_all();
    }

    bool Failed() const { return m_status != CodecStatus::Ok; }

    Slot& SlotOf(uint64_t index) { return m_slots[size_t(index % m_slots.size())]; }

    // Waits until `slot` is in `state`; false when the run has failed meanwhile.
    bool WaitFor(Slot& slot, SlotState state)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return Failed() || slot.state == state; });
        return !Failed();
    }

    void Hand(Slot& slot, SlotState state)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        slot.state = state;
        if (state == SlotState::Read)
            ++m_readCount;
        m_changed.notify_all();
    }

    void ReadChunks()
    {
        for (uint64_t index = 0; index < m_plan.Count(); ++index) {
            Slot& slot = SlotOf(index);
            if (!WaitFor(slot, SlotState::Free))
                return;
            const CodecStatus read = ReadChunk(m_source, m_plan.At(index), slot.bytes.data());
            if (read != CodecStatus::Ok) {
                Fail(read);
                return;
            }
            Hand(slot, SlotState::Read);
        }
    }

    void CipherChunks()
    {
        for (;;) {
            uint64_t index;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] {
                    return Failed() || m_nextCipher == m_plan.Count() || m_nextCipher < m_readCount;
                });
                if (Failed() || m_nextCipher == m_plan.Count())
                    return;
                index = m_nextCipher++;
            }
            Slot& slot = SlotOf(index);
            CipherChunk(m_run, m_plan.At(index), slot.bytes.data());
            Hand(slot, SlotState::Ciphered);
        }
    }

    void WriteChunks()
    {
        for (uint64_t index = 0; index < m_plan.Count(); ++index) {
            if (m_track.StopRequested()) {
                Fail(CodecStatus::Stopped);
                return;
            }
            Slot& slot = SlotOf(index);
            if (!WaitFor(slot, SlotState::Ciphered))
                return;
            if (!WriteChunk(m_sink, m_track, m_plan.At(index), slot.bytes.data())) {
                Fail(CodecStatus::WriteFailed);
                return;
            }
            Hand(slot, SlotState::Free);
        }
    }

    ByteSource& m_source;
    ByteSink& m_sink;
    const BlockRun& m_run;
    const unsigned m_workers;
    const ChunkPlan m_plan;
    ProgressTrack& m_track;
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_nextCipher;  // the next chunk a worker takes
    uint64_t m_readCount;   // chunks read so far
    CodecStatus m_status;
    std::exception_ptr m_exception;
};

}  // namespace

CodecStatus RunThreaded(ByteSource& source, ByteSink& sink, const BlockRun& run, const BlockRunner& runner,
                        ProgressTrack& track)
{
    const ChunkPlan plan(run, runner.Chunk());
    if (plan.Count() == 0)
        return CodecStatus::Ok;
    {
        Pipeline pipeline(source, sink, run, runner, track);
        if (pipeline.Start())
            return pipeline.Run();
    }
    // The same chunks on this thread stop at the same points.
    return RunSerial(source, sink, run, runner.Chunk(), track);
}

}  // namespace lockedfile
