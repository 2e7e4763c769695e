// The threaded runner: a ring of chunk slots, each Free, then Taken by a worker that reads
// and ciphers a chunk into it, then Ciphered, then Free again once written. The workers take the chunks in order, each reading its own chunk in turn
// (the source is a stream: one read after the other, in file order) and ciphering it, and
// may finish them in any order; the calling thread writes them in order, reports progress
// and honours a stop, exactly where the serial runner does.
//
// No thread of its own reads: a reader that only copies from the disk cache has little to
// do, and handing each chunk to a worker cost as much again as the read (a wake-up of
// another thread is a call to the system, under Wine a call to its server). A worker that
// reads while the other ciphers keeps the processors as busy.
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "block_run.h"

namespace lockedfile {

namespace {

enum class SlotState { Free, Taken, Ciphered };

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
          m_nextRead(0),
          m_status(CodecStatus::Ok)
    {
        for (Slot& slot : m_slots)
            slot.bytes.resize(runner.Chunk().Bytes());
    }

    // Starts the workers. Workers that cannot start (a process or memory limit) leave the
    // work to those that did. False when none could start: then nothing was read, and the
    // chunks are the caller's to run.
    bool Start()
    {
        m_threads.reserve(m_workers);
        for (unsigned i = 0; i < m_workers; ++i) {
            try {
                m_threads.emplace_back(&Pipeline::Guarded, this, &Pipeline::ReadAndCipherChunks);
            } catch (...) {
                break;
            }
        }
        return !m_threads.empty();
    }

    // Writes on the calling thread while the started threads read and cipher.
    CodecStatus Run()
    {
        Guarded(&Pipeline::WriteChunks);
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
        if (m_exception)
            std::rethrow_exception(m_exception);
        return m_status;
    }

private:
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
        m_freed.notify_all();
        m_ciphered.notify_all();
    }

    bool Failed() const { return m_status != CodecStatus::Ok; }

    Slot& SlotOf(uint64_t index) { return m_slots[size_t(index % m_slots.size())]; }

    // Takes the next chunk to read and waits until its slot is free; false when every chunk
    // is taken or the run has failed. Called with the read turn held, so the chunks are
    // taken, and read, in file order.
    bool TakeNext(uint64_t& index)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (Failed() || m_nextRead == m_plan.Count())
            return false;
        index = m_nextRead++;
        Slot& slot = SlotOf(index);
        m_freed.wait(lock, [&] { return Failed() || slot.state == SlotState::Free; });
        slot.state = SlotState::Taken;
        return !Failed();
    }

    void ReadAndCipherChunks()
    {
        for (;;) {
            uint64_t index;
            {
                // Only one worker reads at a time; the next waits for its turn here, while
                // this one's chunk is ciphered after the turn is passed on.
                std::lock_guard<std::mutex> turn(m_readTurn);
                if (!TakeNext(index))
                    return;
                const CodecStatus read = ReadChunk(m_source, m_plan.At(index), SlotOf(index).bytes.data());
                if (read != CodecStatus::Ok) {
                    Fail(read);
                    return;
                }
            }
            Slot& slot = SlotOf(index);
            CipherChunk(m_run, m_plan.At(index), slot.bytes.data());
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                slot.state = SlotState::Ciphered;
            }
            // Only the writer waits for ciphered chunks.
            m_ciphered.notify_one();
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
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_ciphered.wait(lock, [&] { return Failed() || slot.state == SlotState::Ciphered; });
                if (Failed())
                    return;
            }
            if (!WriteChunk(m_sink, m_track, m_plan.At(index), slot.bytes.data())) {
                Fail(CodecStatus::WriteFailed);
                return;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                slot.state = SlotState::Free;
            }
            // Only the worker holding the read turn waits for a free slot.
            m_freed.notify_one();
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
    std::mutex m_readTurn;  // held by the worker that reads
    std::mutex m_mutex;     // guards the slots' states and everything below
    std::condition_variable m_freed;     // a slot became free, or the run failed
    std::condition_variable m_ciphered;  // a chunk was ciphered, or the run failed
    uint64_t m_nextRead;  // the next chunk a worker takes
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
