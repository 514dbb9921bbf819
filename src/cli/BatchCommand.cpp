#include "cli/BatchCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "cli/CommandLine.h"
#include "report/TextFile.h"
#include "report/Utf8Path.h"

namespace kalden::cli {

namespace {

class StreamSink : public OutputSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    bool write(std::string_view data) override {
        out_.write(data.data(), static_cast<std::streamsize>(data.size()));
        return !out_.fail();
    }

private:
    std::ostream& out_;
};

class FileSink : public OutputSink {
public:
    explicit FileSink(FileReplacement& file) : file_(file) {}
    bool write(std::string_view data) override { return file_.write(data); }

private:
    FileReplacement& file_;
};

// How stderr names a row: its place among the data rows, the line it
// starts on, and its id when it has one.
std::string rowName(std::size_t row, const CsvRecord& record, const BatchCase& batchCase) {
    std::string name = "row " + std::to_string(row) + " (line " + std::to_string(record.line) + ")";
    if (!batchCase.id.empty()) name += ", id \"" + batchCase.id + "\"";
    return name;
}

// Warnings raised while a row is scored go to stderr as in single-case
// scoring, a carriage return as a line break, but naming the row first.
class RowMessages : public MessageService {
public:
    explicit RowMessages(std::ostream& err) : err_(err) {}
    void setRow(std::string name) { row_ = std::move(name); }
    void warn(const std::string& text) override {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), CR, '\n');
        err_ << "kalden-report: " << row_ << ": " << shown << '\n';
    }
    void beep() override {}

private:
    std::ostream& err_;
    std::string row_;
};

int cannotRead(const std::string& input, std::ostream& err) {
    const int code = errno;
    err << "kalden-report: cannot read " << input << ": " << (code ? std::strerror(code) : "read error") << '\n';
    return ExitNoInput;
}

} // namespace

int runBatch(const BatchSettings& settings, std::istream& in, std::ostream& out, std::ostream& err) {
    std::ifstream file;
    std::istream* source = &in;
    if (settings.input != "-") {
        errno = 0;
        file.open(pathFromUtf8(settings.input), std::ios::binary);
        if (!file) return cannotRead(settings.input, err);
        source = &file;
    }
    const std::string inputName = settings.input == "-" ? "standard input" : settings.input;

    // The header is checked before anything is written.
    CsvReader reader(*source);
    CsvRecord record;
    errno = 0;
    if (!reader.next(record)) {
        if (reader.readFailed()) return cannotRead(inputName, err);
        err << "kalden-report: " << inputName << " is empty: it needs a header row naming the columns\n";
        return ExitUsage;
    }
    std::string problem;
    const std::optional<BatchLayout> layout = readBatchLayout(record.cells, problem);
    if (!layout) {
        err << "kalden-report: " << inputName << ": " << problem << '\n';
        return ExitUsage;
    }

    FileReplacement replacement;
    FileSink fileSink(replacement);
    StreamSink streamSink(out);
    OutputSink& sink = settings.output ? static_cast<OutputSink&>(fileSink) : streamSink;
    std::string error;
    if (settings.output && !replacement.open(*settings.output, error)) {
        err << "kalden-report: cannot write " << *settings.output << ": " << error << '\n';
        return ExitWriteFailed;
    }

    RowMessages messages(err);
    // A saved text report has CR LF line ends, as the results window saves it.
    const auto writer = makeBatchWriter(settings.format, sink, settings.output ? "\r\n" : "\n", messages);
    bool written = writer->begin();
    std::size_t rows = 0;
    std::size_t rejected = 0;
    BatchCase batchCase;
    while (written && reader.next(record)) {
        ++rows;
        readBatchCase(record, *layout, settings.defaults, batchCase);
        messages.setRow(rowName(rows, record, batchCase));
        if (!batchCase.record) {
            ++rejected;
            // Text reports have no place for the reason; csv and JSON carry it.
            if (settings.format == BatchFormat::Text) messages.warn(batchCase.error);
            written = writer->writeRow(batchCase, nullptr);
            continue;
        }
        const ComputationResults results = computeAll(*batchCase.record, messages);
        written = writer->writeRow(batchCase, &results);
    }
    if (reader.readFailed()) return cannotRead(inputName, err);

    if (settings.output) {
        if (!replacement.commit(error)) {
            err << "kalden-report: cannot write " << *settings.output << ": " << error << '\n';
            return ExitWriteFailed;
        }
    } else {
        out.flush();
        if (!written || !out) return ExitWriteFailed;
    }
    if (rejected > 0) {
        err << "kalden-report: " << rejected << " of " << rows << " rows rejected\n";
        return ExitInputRejected;
    }
    return ExitOk;
}

} // namespace kalden::cli
