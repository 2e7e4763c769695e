// The threaded runner: a ring of chunk slots, each Free, then Taken by a thread that reads
// a chunk into it and ciphers it, then Ciphered, then Free again once written. The chunks
// are taken in order, and read in turn (the source is a stream: one read after the other,
// in file order); they may be ciphered in any order. The calling thread writes them in
// order, reports progress and honours a stop, exactly where the serial runner does, and
// ciphers chunks itself whenever the next one to write is not ready.
//
// So a runner of N workers starts N - 1 threads and the calling thread is the Nth: one
// thread a processor, none waiting to be scheduled while the others cipher. A thread that
// only wrote (and one that only read) each had to be woken for every chunk, and on a busy
// processor it waited for its turn while the chunks piled up behind it; under Wine each of
// those wake-ups is also a call to the Wine server.
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

    // Starts the threads besides the calling one. Those that cannot start (a process or
    // memory limit) leave the work to the others: with none, the calling thread does it
    // all, in the same chunks.
    void Start()
    {
        m_threads.reserve(m_workers - 1);
        for (unsigned i = 1; i < m_workers; ++i) {
            try {
                m_threads.emplace_back(&Pipeline::Guarded, this, &Pipeline::CipherChunks);
            } catch (...) {
                break;
            }
        }
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

    enum class Take { Taken, SlotBusy, NoneLeft };

    // Takes the next chunk to read if its slot is free. Called with the read turn held, so
    // the chunks are taken, and read, in file order.
    Take TakeNext(uint64_t& index)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (Failed() || m_nextRead == m_plan.Count())
            return Take::NoneLeft;
        Slot& slot = SlotOf(m_nextRead);
        if (slot.state != SlotState::Free)
            return Take::SlotBusy;
        slot.state = SlotState::Taken;
        index = m_nextRead++;
        return Take::Taken;
    }

    // Reads chunk `index`, gives up the read turn, and ciphers the chunk. False when the
    // read failed.
    bool ReadAndCipher(std::unique_lock<std::mutex>& turn, uint64_t index)
    {
        Slot& slot = SlotOf(index);
        const CodecStatus read = ReadChunk(m_source, m_plan.At(index), slot.bytes.data());
        turn.unlock();
        if (read != CodecStatus::Ok) {
            Fail(read);
            return false;
        }
        CipherChunk(m_run, m_plan.At(index), slot.bytes.data());
        std::lock_guard<std::mutex> lock(m_mutex);
        slot.state = SlotState::Ciphered;
        return true;
    }

    // The started threads: chunk after chunk until none is left or the run fails. The read
    // turn is only ever held for a read, never while waiting for a slot, so that the
    // calling thread may wait for it.
    void CipherChunks()
    {
        for (;;) {
            std::unique_lock<std::mutex> turn(m_readTurn);
            uint64_t index = 0;
            switch (TakeNext(index)) {
            case Take::NoneLeft:
                return;
            case Take::Taken:
                if (!ReadAndCipher(turn, index))
                    return;
                // Only the calling thread waits for ciphered chunks.
                m_ciphered.notify_one();
                break;
            case Take::SlotBusy: {
                turn.unlock();
                std::unique_lock<std::mutex> lock(m_mutex);
                m_freed.wait(lock, [&] {
                    return Failed() || m_nextRead == m_plan.Count() || SlotOf(m_nextRead).state == SlotState::Free;
                });
                break;
            }
            }
        }
    }

    // Waits until chunk `index` is ciphered, ciphering the next chunks itself meanwhile
    // while their slots are free. Every chunk before `index` is written, so its slot is
    // free: if no other thread has taken it, this one does. False when the run has failed.
    bool AwaitCiphered(uint64_t index)
    {
        Slot& slot = SlotOf(index);
        for (;;) {
            bool canTake;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (Failed())
                    return false;
                if (slot.state == SlotState::Ciphered)
                    return true;
                canTake = m_nextRead < m_plan.Count() && SlotOf(m_nextRead).state == SlotState::Free;
            }
            if (canTake) {
                std::unique_lock<std::mutex> turn(m_readTurn);
                uint64_t next = 0;
                if (TakeNext(next) == Take::Taken && !ReadAndCipher(turn, next))
                    return false;
                continue;
            }
            // Only writing frees a slot, so there is nothing to take until `index` is in.
            std::unique_lock<std::mutex> lock(m_mutex);
            m_ciphered.wait(lock, [&] { return Failed() || slot.state == SlotState::Ciphered; });
        }
    }

    void WriteChunks()
    {
        for (uint64_t index = 0; index < m_plan.Count(); ++index) {
            if (m_track.StopRequested()) {
                Fail(CodecStatus::Stopped);
                return;
            }
            if (!AwaitCiphered(index))
                return;
            Slot& slot = SlotOf(index);
            if (!WriteChunk(m_sink, m_track, m_plan.At(index), slot.bytes.data())) {
                Fail(CodecStatus::WriteFailed);
                return;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                slot.state = SlotState::Free;
            }
            // Only the started threads wait for a free slot.
            m_freed.notify_all();
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
    std::mutex m_readTurn;  // held by the thread that reads, for the read alone
    std::mutex m_mutex;     // guards the slots' states and everything below
    std::condition_variable m_freed;     // a slot became free, or the run failed
    std::condition_variable m_ciphered;  // a chunk was ciphered, or the run failed
    uint64_t m_nextRead;  // the next chunk to take
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
    Pipeline pipeline(source, sink, run, runner, track);
    pipeline.Start();
    return pipeline.Run();
}

}  // namespace lockedfile
