#include "cli/BatchCommand.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/BatchPipeline.h"
#include "cli/ErrorText.h"
#include "cli/ExitStatus.h"
#include "files/TextFile.h"
#include "files/Utf8Path.h"

namespace kalden::cli {

namespace {

// Standard output, in pieces of about 64 KiB: a report is a few kilobytes,
// and a stream passes anything over one straight to the system, a call per
// report. Given the stream's descriptor, text kept until the next flush goes
// past the stream to the system as it stands, many rows in one call, without
// being copied first. The system's reason for the first failed write is kept.
class StreamSink : public OutputSink {
public:
    // `descriptor`: the one `out` writes to, or -1 to write through `out` alone.
    StreamSink(std::ostream& out, int descriptor) : out_(out), descriptor_(descriptor) {
        pending_.reserve(PieceSize + PieceSize / 4);
    }
    bool write(std::string_view data) override {
        if (!passKept()) return false;
        pending_.append(data);
        return pending_.size() < PieceSize || flushPending();
    }
    bool writeKept(std::string_view data) override {
        if (descriptor_ < 0) return write(data);
        if (failure_ != 0 || (!pending_.empty() && !flushPending())) return false;
        kept_.push_back(data);
        return kept_.size() < MostKept || passKept();
    }
    bool flush() override { return flushPending() && passKept(); }
    int failure() const { return failure_; }

private:
    bool flushPending() {
        if (failure_ != 0) return false;
        errno = 0;
        out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
        out_.flush();
        if (!out_.fail()) return true;
        failure_ = errno != 0 ? errno : EIO;
        return false;
    }
    bool passKept() {
        if (!kept_.empty() && failure_ == 0) failure_ = writePieces(descriptor_, kept_);
        kept_.clear();
        return failure_ == 0;
    }

    static constexpr std::size_t PieceSize = 64 * 1024;
    static constexpr std::size_t MostKept = 1024;
    std::ostream& out_;
    const int descriptor_;
    std::string pending_;
    std::vector<std::string_view> kept_;
    int failure_ = 0;
};

class FileSink : public OutputSink {
public:
    explicit FileSink(FileReplacement& file) : file_(file) {}
    bool write(std::string_view data) override { return file_.write(data); }

private:
    FileReplacement& file_;
};

int cannotRead(const std::string& input, std::ostream& err) {
    const int code = errno;
    err << "kalden-report: cannot read " << input << ": " << (code ? std::strerror(code) : "read error") << '\n';
    return ExitNoInput;
}

int cannotWrite(const std::string& output, const std::string& error, std::ostream& err) {
    err << "kalden-report: cannot write " << escapeControls(output) << ": " << error << '\n';
    return ExitWriteFailed;
}

class StreamUntied {
public:
    explicit StreamUntied(std::istream& in) : in_(in), tied_(in.tie(nullptr)) {}
    ~StreamUntied() { in_.tie(tied_); }
    StreamUntied(const StreamUntied&) = delete;
    StreamUntied& operator=(const StreamUntied&) = delete;

private:
    std::istream& in_;
    std::ostream* tied_;
};

// The header row, checked before anything is written; nothing with the
// exit status in `status` when the batch cannot go on.
std::optional<BatchLayout> readHeader(CsvReader& reader, const std::string& inputName, std::ostream& err, int& status) {
    CsvRecord record;
    errno = 0;
    if (!reader.next(record)) {
        if (reader.readFailed()) {
            status = cannotRead(inputName, err);
        } else {
            err << "kalden-report: " << inputName << ' ' << EmptyBatchFile << '\n';
            status = ExitUsage;
        }
        return std::nullopt;
    }
    std::string problem;
    std::optional<BatchLayout> layout = readBatchLayout(record.cells, problem);
    if (!layout) {
        err << "kalden-report: " << inputName << ": " << escapeControls(problem) << '\n';
        status = ExitUsage;
    }
    return layout;
}

// Scores the rows through `writer` and gives the exit status so far: 0, or
// the status of a failed read. `written` tells whether every write succeeded.
int scoreInto(CsvReader& reader, const BatchLayout& layout, const BatchSettings& settings, const std::string& inputName,
              std::ostream& err, RowWriter& writer, bool& written) {
    // A saved text report has CR LF line ends, as the results window saves it.
    const BatchJob job{layout, settings.defaults, settings.format, settings.output ? "\r\n" : "\n", "kalden-report: "};
    // Rows scored before a read failure go out before the message about it.
    written = scoreRows(reader, job, settings.jobs, writer) && writer.flush();
    // Rows after a failed write are never needed, so a read failure among them does not count.
    if (written && reader.readFailed()) return cannotRead(inputName, err);
    return ExitOk;
}

int closingStatus(const RowWriter& writer, std::ostream& err) {
    if (writer.rejected() == 0) return ExitOk;
    err << "kalden-report: " << writer.rejectedText() << '\n';
    return ExitInputRejected;
}

int scoreToFile(CsvReader& reader, const BatchLayout& layout, const BatchSettings& settings,
                const std::string& inputName, std::ostream& err) {
    FileReplacement replacement;
    std::string error;
    if (!replacement.open(*settings.output, error)) return cannotWrite(*settings.output, error, err);
    FileSink sink(replacement);
    RowWriter writer(sink, err);
    bool written = false;
    const int status = scoreInto(reader, layout, settings, inputName, err, writer, written);
    if (status != ExitOk) return status;
    if (!replacement.commit(error)) return cannotWrite(*settings.output, error, err);
    return closingStatus(writer, err);
}

int scoreToStream(CsvReader& reader, const BatchLayout& layout, const BatchSettings& settings,
                  const std::string& inputName, std::ostream& out, std::ostream& err) {
    // Only the process's own standard output is written past the stream;
    // on Windows the stream does the conversions of text mode.
#ifndef _WIN32
    StreamSink sink(out, &out == &std::cout ? StandardOutput : -1);
#else
    StreamSink sink(out, -1);
#endif
    RowWriter writer(sink, err);
    bool written = false;
    const int status = scoreInto(reader, layout, settings, inputName, err, writer, written);
    if (status != ExitOk) return status;
    if (!sink.flush() || !written) return cannotWriteStandardOutput(sink.failure(), err);
    return closingStatus(writer, err);
}

} // namespace

int runBatch(const BatchSettings& settings, std::istream& in, std::ostream& out, std::ostream& err) {
    if (settings.output && sameFile(settings.input, *settings.output)) {
        err << "kalden-report: " << escapeControls(*settings.output)
            << " is the batch file itself; writing the results there would destroy the cases\n";
        return ExitUsage;
    }
    // Standard output sent to the batch file (> or >>) would read back what
    // it writes for ever, or has emptied it already: refused before a row is read.
    if (!settings.output && &out == &std::cout &&
        (settings.input == "-" ? descriptorsAreSameFile(StandardInput, StandardOutput)
                               : descriptorIsFile(StandardOutput, settings.input))) {
        err << "kalden-report: standard output is the batch file "
            << (settings.input == "-" ? std::string("on standard input") : escapeControls(settings.input))
            << " itself; the results would be read back as cases (write them with --output or elsewhere)\n";
        return ExitUsage;
    }
    // A read from a stream tied to another flushes that one: standard input
    // is tied to standard output, which the writer thread writes meanwhile.
    const StreamUntied untied(in);
    const std::string inputName = settings.input == "-" ? "standard input" : escapeControls(settings.input);
    std::ifstream file;
    std::istream* source = &in;
    if (settings.input != "-") {
        errno = 0;
        file.open(pathFromUtf8(settings.input), std::ios::binary);
        if (!file) return cannotRead(inputName, err);
        source = &file;
    }

    CsvReader reader(*source);
    int status = ExitOk;
    const std::optional<BatchLayout> layout = readHeader(reader, inputName, err, status);
    if (!layout) return status;
    if (settings.output) return scoreToFile(reader, *layout, settings, inputName, err);
    return scoreToStream(reader, *layout, settings, inputName, out, err);
}

} // namespace kalden::cli
