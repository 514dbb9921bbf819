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
    enum class State { Free, Read, Scored };
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

// Two blocks per scorer keep every scorer busy while the writer catches up;
// beyond a few thousand rows in flight only one per scorer, plus the one
// being read and the one being written.
std::size_t ringSize(unsigned jobs) {
    constexpr std::size_t MostRowsInFlight = 4096;
    return std::max(std::size_t{jobs} + 2, std::min(2 * std::size_t{jobs} + 2, MostRowsInFlight / BlockRows));
}

std::size_t recordBytes(const CsvRecord& record) {
    std::size_t bytes = 0;
    for (const std::string& cell : record.cells) bytes += cell.capacity();
    return bytes;
}

// One reader, `jobs` scorers and one writer (the calling thread) around a
// ring of blocks: the reader fills free blocks in input order, any scorer
// takes the next block read, and the writer writes the blocks in input
// order and frees them. The ring's size bounds the rows in flight.
class ParallelScoring {
public:
    ParallelScoring(CsvReader& reader, const BatchJob& job, unsigned jobs)
        : reader_(reader), job_(job), jobs_(jobs), ring_(ringSize(jobs)) {
        for (RowBlock& block : ring_) {
            block.records.resize(BlockRows);
            block.outputs.resize(BlockRows);
        }
    }

    bool run(RowWriter& writer) {
        if (!writer.begin(RowScorer(job_).header())) return false;
        std::thread readerThread([this] { readBlocks(); });
        std::vector<std::thread> scorers;
        for (unsigned k = 0; k < jobs_; ++k) scorers.emplace_back([this] { scoreBlocks(); });
        const bool written = writeBlocks(writer);
        readerThread.join();
        for (std::thread& scorer : scorers) scorer.join();
        return written;
    }

private:
    RowBlock& blockOf(std::size_t sequence) { return ring_[sequence % ring_.size()]; }

    void fill(RowBlock& block) {
        block.count = 0;
        std::size_t bytes = 0;
        while (block.count < BlockRows && bytes < BlockBytes) {
            CsvRecord& record = block.records[block.count];
            if (recordBytes(record) > BlockBytes) record = CsvRecord{};
            if (!reader_.next(record)) {
                ended_ = true;
                return;
            }
            bytes += recordBytes(record);
            ++block.count;
        }
    }

    void readBlocks() {
        std::size_t rowsRead = 0;
        for (std::size_t sequence = 0; !ended_; ++sequence) {
            RowBlock& block = blockOf(sequence);
            {
                std::unique_lock lock(mutex_);
                blockFreed_.wait(lock, [&] { return block.state == RowBlock::State::Free || stopped_; });
                if (stopped_) return;
            }
            fill(block); // a free block belongs to the reader alone
            block.firstRow = rowsRead + 1;
            rowsRead += block.count;
            {
                std::lock_guard lock(mutex_);
                if (block.count > 0) {
                    block.state = RowBlock::State::Read;
                    ++blocksRead_;
                }
                inputEnded_ = ended_;
            }
            if (ended_) {
                blockRead_.notify_all(); // every idle scorer learns that no block is coming
                blockScored_.notify_one();
            } else {
                blockRead_.notify_one();
            }
        }
    }

    void scoreBlocks() {
        RowScorer scorer(job_);
        for (;;) {
            std::size_t sequence = 0;
            {
                std::unique_lock lock(mutex_);
                blockRead_.wait(lock, [&] { return nextToScore_ < blocksRead_ || inputEnded_ || stopped_; });
                if (stopped_ || nextToScore_ == blocksRead_) return;
                sequence = nextToScore_++;
            }
            RowBlock& block = blockOf(sequence);
            for (std::size_t i = 0; i < block.count; ++i)
                scorer.score(block.records[i], block.firstRow + i, block.outputs[i]);
            {
                std::lock_guard lock(mutex_);
                block.state = RowBlock::State::Scored;
            }
            blockScored_.notify_one();
        }
    }

    bool writeBlocks(RowWriter& writer) {
        for (std::size_t sequence = 0;; ++sequence) {
            RowBlock& block = blockOf(sequence);
            {
                std::unique_lock lock(mutex_);
                blockScored_.wait(lock, [&] {
                    return block.state == RowBlock::State::Scored || (inputEnded_ && sequence == blocksRead_);
                });
                if (block.state != RowBlock::State::Scored) return true;
            }
            if (!writeBlock(block, writer)) {
                stop();
                return false;
            }
            {
                std::lock_guard lock(mutex_);
                block.state = RowBlock::State::Free;
            }
            blockFreed_.notify_one();
        }
    }

    static bool writeBlock(RowBlock& block, RowWriter& writer) {
        for (std::size_t i = 0; i < block.count; ++i) {
            RowOutput& out = block.outputs[i];
            if (!writer.write(out)) return false;
            if (out.text.capacity() > BlockBytes) out.text = std::string();
        }
        return true;
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        blockFreed_.notify_all();
        blockRead_.notify_all();
    }

    CsvReader& reader_;
    const BatchJob& job_;
    unsigned jobs_;
    std::vector<RowBlock> ring_;
    bool ended_ = false; // the reader's own: the input has no more rows

    std::mutex mutex_;
    std::condition_variable blockFreed_;
    std::condition_variable blockRead_;
    std::condition_variable blockScored_;
    std::size_t blocksRead_ = 0;
    std::size_t nextToScore_ = 0;
    bool inputEnded_ = false;
    bool stopped_ = false;
};

} // namespace

bool scoreRows(CsvReader& reader, const BatchJob& job, unsigned jobs, RowWriter& writer) {
    if (jobs <= 1) return scoreOneByOne(reader, job, writer);
    return ParallelScoring(reader, job, jobs).run(writer);
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
