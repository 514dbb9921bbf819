#include "files/StoreLogImage.h"

#include <cstdint>
#include <cstring>

namespace kalden {

namespace {

constexpr std::size_t LogHeaderSize = 32;
constexpr std::size_t FrameHeaderSize = 24;
constexpr std::uint32_t LogMagic = 0x377f0682; // the low bit says big-endian checksums

std::uint32_t bigEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

std::uint32_t littleEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[1]} << 8) | b[0];
}

// The log's running checksum over `size` bytes (a multiple of 8), words read
// in the order the log's magic names.
struct Checksum {
    std::uint32_t s0 = 0;
    std::uint32_t s1 = 0;
    bool bigEndian = true;

    void add(const char* p, std::size_t size) {
        for (std::size_t i = 0; i < size; i += 8) {
            s0 += word(p + i) + s1;
            s1 += word(p + i + 4) + s0;
        }
    }
    std::uint32_t word(const char* p) const { return bigEndian ? bigEndian32(p) : littleEndian32(p); }
    bool matches(const char* p) const { return bigEndian32(p) == s0 && bigEndian32(p + 4) == s1; }
};

bool validPageSize(std::uint32_t size) { return size >= 512 && size <= 65536 && (size & (size - 1)) == 0; }

// Bytes 18 and 19 of the header say "write-ahead log"; the image has none.
bool withoutLog(std::string& image) {
    if (image.size() >= 20) image[18] = image[19] = 1;
    return true;
}

} // namespace

bool databaseWithLog(const std::string& database, const std::string& log, std::string& image, std::string& error) {
    image = database;
    if (log.empty()) return withoutLog(image); // an empty log holds nothing
    if (log.size() < LogHeaderSize || (bigEndian32(log.data()) & ~1u) != LogMagic ||
        !validPageSize(bigEndian32(log.data() + 8))) {
        error = "its log (-wal) is damaged";
        return false;
    }
    const std::size_t pageSize = bigEndian32(log.data() + 8);
    Checksum sum;
    sum.bigEndian = (bigEndian32(log.data()) & 1u) != 0;
    sum.add(log.data(), 24);
    if (!sum.matches(log.data() + 24)) return withoutLog(image); // a log never written since it was reset
    const std::uint32_t salt1 = bigEndian32(log.data() + 16);
    const std::uint32_t salt2 = bigEndian32(log.data() + 20);

    // A page the database cannot have (beyond the file and every page the
    // log adds) is damage, not a page to make room for.
    const std::size_t frameSize = FrameHeaderSize + pageSize;
    const std::size_t frames = (log.size() - LogHeaderSize) / frameSize;
    const std::size_t mostPages = database.size() / pageSize + frames;
    std::size_t committedPages = 0;
    std::size_t committedFrames = 0;
    for (std::size_t k = 0; k < frames; ++k) {
        const char* frame = log.data() + LogHeaderSize + k * frameSize;
        if (bigEndian32(frame + 8) != salt1 || bigEndian32(frame + 12) != salt2) break;
        sum.add(frame, 8);
        sum.add(frame + FrameHeaderSize, pageSize);
        if (!sum.matches(frame + 16)) break;
        const std::uint32_t page = bigEndian32(frame);
        const std::uint32_t pagesAfterCommit = bigEndian32(frame + 4);
        if (page == 0 || page > mostPages || pagesAfterCommit > mostPages) {
            error = "its log (-wal) is damaged";
            return false;
        }
        if (pagesAfterCommit != 0) {
            committedPages = pagesAfterCommit;
            committedFrames = k + 1;
        }
    }
    if (committedFrames == 0) return withoutLog(image);
    image.resize(committedPages * pageSize, '\0');
    for (std::size_t k = 0; k < committedFrames; ++k) {
        const char* frame = log.data() + LogHeaderSize + k * frameSize;
        const std::size_t page = bigEndian32(frame);
        if (page <= committedPages) std::memcpy(&image[(page - 1) * pageSize], frame + FrameHeaderSize, pageSize);
    }
    return withoutLog(image);
}

} // namespace kalden
