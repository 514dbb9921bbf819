#include "cli/BatchPipeline.h"

#ifndef _WIN32
#include <sched.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

#include "scoring/ScoringEngine.h"

namespace kalden::cli {

namespace {

// A few rows read, scored and written together, so that the threads meet
// once per block rather than once per row.
struct RowBlock {
    enum class State { Free, Read, Scored }; // Read: being read or scored
    State state = State::Free;
    std::size_t firstRow = 0; // place of its first row among the data rows
    std::size_t count = 0;
    std::vector<CsvRecord> records;
    std::vector<RowOutput> outputs;
};

constexpr std::size_t BlockRows = 64;
// A block closes early once its cells hold this much, and a buffer grown
// beyond it by one long row is given back, so that memory stays bounded
// however long the rows are.
constexpr std::size_t BlockBytes = 64 * 1024;

// Two blocks per thread let every thread read its next block while the
// blocks before it wait to be written; beyond a few thousand rows in flight
// only one per thread, plus two.
std::size_t ringSize(unsigned jobs) {
    constexpr std::size_t MostRowsInFlight = 4096;
    return std::max(std::size_t{jobs} + 2, std::min(2 * std::size_t{jobs} + 2, MostRowsInFlight / BlockRows));
}

std::size_t recordBytes(const CsvRecord& record) {
    std::size_t bytes = 0;
    for (const std::string& cell : record.cells) bytes += cell.capacity();
    return bytes;
}

// `jobs` threads (the calling one among them) around a ring of blocks. Each
// thread in turn reads the next block of rows into the ring, scores it, and
// then writes it if every block before it is written, with any scored
// blocks that follow; otherwise the thread that writes the block before it
// does. Reading and writing thus stay in input order without a thread of
// their own, and the ring's size bounds the rows in flight.
class BlockPipeline {
public:
    BlockPipeline(CsvReader& reader, const BatchJob& job, unsigned jobs)
        : reader_(reader), job_(job), jobs_(jobs), ring_(ringSize(jobs)) {
        for (RowBlock& block : ring_) {
            block.records.resize(BlockRows);
            block.outputs.resize(BlockRows);
        }
    }

    bool run(RowWriter& writer) {
        if (!writer.begin(RowScorer(job_).header())) return false;
        std::vector<std::thread> others;
        for (unsigned k = 1; k < jobs_; ++k) others.emplace_back([this, &writer] { work(writer); });
        work(writer);
        for (std::thread& other : others) other.join();
        return !writeFailed_;
    }

private:
    RowBlock& blockOf(std::size_t sequence) { return ring_[sequence % ring_.size()]; }

    void work(RowWriter& writer) {
        RowScorer scorer(job_);
        std::size_t sequence = 0;
        while (RowBlock* block = readNext(sequence)) {
            for (std::size_t i = 0; i < block->count; ++i)
                scorer.score(block->records[i], block->firstRow + i, block->outputs[i]);
            if (!scored(sequence, writer)) return;
        }
    }

    // The next block of rows and its place in the input, or nothing once
    // the input has ended or a write has failed.
    RowBlock* readNext(std::size_t& sequence) {
        std::lock_guard reading(readMutex_);
        if (inputEnded_) return nullptr;
        RowBlock& block = blockOf(blocksRead_);
        {
            // The block's place in the ring is free once the block a ring's
            // length before it is written.
            std::unique_lock lock(mutex_);
            blockFreed_.wait(lock, [&] { return block.state == RowBlock::State::Free || stopped_; });
            if (stopped_) return nullptr;
            block.state = RowBlock::State::Read;
        }
        fill(block);
        if (block.count == 0) {
            std::lock_guard lock(mutex_);
            block.state = RowBlock::State::Free;
            return nullptr;
        }
        block.firstRow = rowsRead_ + 1;
        rowsRead_ += block.count;
        sequence = blocksRead_++;
        return &block;
    }

    void fill(RowBlock& block) {
        block.count = 0;
        std::size_t bytes = 0;
        while (block.count < BlockRows && bytes < BlockBytes) {
            CsvRecord& record = block.records[block.count];
            if (recordBytes(record) > BlockBytes) record = CsvRecord{};
            if (!reader_.next(record)) {
                inputEnded_ = true;
                return;
            }
            bytes += recordBytes(record);
            ++block.count;
        }
    }

    // Marks a block scored and writes what can now be written in order;
    // false once a write has failed.
    bool scored(std::size_t sequence, RowWriter& writer) {
        std::unique_lock lock(mutex_);
        blockOf(sequence).state = RowBlock::State::Scored;
        if (writing_ || sequence != blocksWritten_) return !stopped_;
        writing_ = true;
        while (!stopped_ && blockOf(blocksWritten_).state == RowBlock::State::Scored) {
            RowBlock& block = blockOf(blocksWritten_);
            lock.unlock();
            const bool written = writeBlock(block, writer);
            lock.lock();
            if (!written) {
                stopped_ = writeFailed_ = true;
            } else {
                block.state = RowBlock::State::Free;
                ++blocksWritten_;
            }
            blockFreed_.notify_all();
        }
        writing_ = false;
        return !stopped_;
    }

    // The rows go out before the block is read into again, so the writer
    // may hand their text on as it stands.
    static bool writeBlock(RowBlock& block, RowWriter& writer) {
        for (std::size_t i = 0; i < block.count; ++i)
            if (!writer.writeKept(block.outputs[i])) return false;
        if (!writer.flush()) return false;
        for (std::size_t i = 0; i < block.count; ++i) {
            RowOutput& out = block.outputs[i];
            if (out.text.capacity() > BlockBytes) out.text = std::string();
        }
        return true;
    }

    CsvReader& reader_;
    const BatchJob& job_;
    unsigned jobs_;
    std::vector<RowBlock> ring_;

    std::mutex readMutex_; // the reader and what follows belong to whoever holds it
    bool inputEnded_ = false;
    std::size_t blocksRead_ = 0;
    std::size_t rowsRead_ = 0;

    std::mutex mutex_; // the blocks' states and what follows
    std::condition_variable blockFreed_;
    std::size_t blocksWritten_ = 0;
    bool writing_ = false;
    bool stopped_ = false;
    bool writeFailed_ = false;
};

} // namespace

bool scoreRows(CsvReader& reader, const BatchJob& job, unsigned jobs, RowWriter& writer) {
    return BlockPipeline(reader, job, std::max(jobs, 1u)).run(writer);
}

unsigned availableProcessors() {
#ifndef _WIN32
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<unsigned>(count);
    }
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace kalden::cli
