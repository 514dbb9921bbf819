#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/CommandLine.h"
#include "files/TextFile.h"
#include "format/NumberFormat.h"

using namespace kalden;
using namespace kalden::cli;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
    bool operator==(const Outcome&) const = default;
};

Outcome runOn(const std::string& input, const std::vector<std::string>& args) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(args, in, out, err);
    return {status, out.str(), err.str()};
}

std::string get(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Enough rows for many blocks on every thread: scored rows with and without
// notes (line breaks inside), rejected rows and rows that warn "Too many
// steps", each kind recurring.
std::string mixedBatch(int rows) {
    std::string text =
        "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,"
        "ci,basis,bonferroni,criterion,notes\n";
    const char* const kinds[] = {
        ",12,7,11,9,8,10,13,,,,,\n",
        ",15,4,15,5,10,10,5,glutting90,true,yes,15,\"first\nsecond\r\nthird\"\n",
        ",12,7,11,9,8,10,\n",
        ",10,7.6480432,10,10,10,10,10,,,,,\n",
        ",19,1,19,13,7,7,13,traditional90,observed,no,10,x\n",
        ",10,10,20,10,10,10,10,,,,,\n",
    };
    for (int r = 0; r < rows; ++r) text += "case" + std::to_string(r) + kinds[r % 6];
    return text;
}

// kalden-report as a process of its own: standard input from `input`,
// standard output and error to files (or `errFd` for standard error).
struct ChildRun {
    int status = -1; // exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

ChildRun runProcess(const std::vector<std::string>& args, const fs::path& input, const fs::path& dir,
                    const char* outPath = nullptr, int errFd = -1, bool throughPipe = false) {
    const fs::path out = outPath ? fs::path(outPath) : dir / "child.out", err = dir / "child.err";
    int feed[2] = {-1, -1};
    if (throughPipe && ::pipe(feed) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(throughPipe ? feed[0] : ::open(input.c_str(), O_RDONLY), 0);
        if (throughPipe) ::close(feed[1]);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(errFd >= 0 ? errFd : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(KALDEN_REPORT)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KALDEN_REPORT, argv.data());
        ::_exit(127);
    }
    if (throughPipe) {
        ::close(feed[0]);
        const std::string bytes = get(input);
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::write(feed[1], bytes.data() + sent, bytes.size() - sent);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::close(feed[1]);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (!outPath) run.out = get(out);
    if (errFd < 0) run.err = get(err);
    return run;
}

class BatchJobs : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalSeparator('.');
        std::string pattern = (fs::temp_directory_path() / "kalden-jobs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }
    fs::path dir_;
};

} // namespace

TEST_F(BatchJobs, FourThreadsWriteTheBytesOfOneFromAFileAndFromStandardInput) {
    const int rows = 600;
    const std::string input = mixedBatch(rows);
    const fs::path file = dir_ / "in.csv";
    std::ofstream(file, std::ios::binary) << input;
    for (const char* format : {"text", "csv", "json"}) {
        SCOPED_TRACE(format);
        const Outcome one = runOn(input, {"--batch", "-", "--format", format, "--jobs", "1"});
        EXPECT_EQ(one.status, ExitInputRejected);
        EXPECT_NE(one.err.find("kalden-report: row 598 (line 799), id \"case597\": Too many steps\n"),
                  std::string::npos);
        EXPECT_NE(one.err.find("kalden-report: 200 of 600 rows rejected\n"), std::string::npos);
        EXPECT_EQ(runOn(input, {"--batch", "-", "--format", format, "--jobs", "4"}), one);
        EXPECT_EQ(runOn("", {"--batch", file.string(), "--format", format, "--jobs=4"}), one);

        const fs::path saved1 = dir_ / "one.out";
        const fs::path saved4 = dir_ / "four.out";
        const Outcome toFile1 =
            runOn(input, {"--batch", "-", "--format", format, "--jobs", "1", "--output", saved1.string()});
        const Outcome toFile4 =
            runOn(input, {"--batch", "-", "--format", format, "--jobs", "4", "--output", saved4.string()});
        EXPECT_EQ(toFile4, toFile1);
        EXPECT_EQ(toFile1.err, one.err);
        EXPECT_EQ(get(saved4), get(saved1));
        EXPECT_GT(get(saved1).size(), one.out.size() / 2);
    }
    // The rejected rows' messages come in row order with the scored rows' warnings.
    const Outcome text = runOn(input, {"--batch", "-", "--jobs", "4"});
    EXPECT_EQ(text.err.substr(0, text.err.find('\n', text.err.find("row 4 ")) + 1),
              "kalden-report: row 3 (line 6), id \"case2\": INPUT ERROR  (  MATRIX REASONING subtest scaled score:  ) "
              " Data have not been entered in this field.\n"
              "kalden-report: row 4 (line 7), id \"case3\": Too many steps\n");
}

TEST_F(BatchJobs, JobsMustBeAPositiveNumberAndGoWithBatch) {
    const std::string header =
        "vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
        "matrix_reasoning\n";
    const struct {
        std::vector<std::string> args;
        std::string problem;
    } cases[] = {
        {{"--batch", "-", "--jobs", "0"}, "--jobs must be a whole number from 1 to 64, not '0'"},
        {{"--batch", "-", "--jobs", "two"}, "--jobs must be a whole number from 1 to 64, not 'two'"},
        {{"--batch", "-", "--jobs=2x"}, "--jobs must be a whole number from 1 to 64, not '2x'"},
        {{"--batch", "-", "--jobs", "-1"}, "--jobs must be a whole number from 1 to 64, not '-1'"},
        {{"--batch", "-", "--jobs", "65"}, "--jobs must be a whole number from 1 to 64, not '65'"},
        {{"--batch", "-", "--jobs"}, "option --jobs needs a value"},
        {{"--jobs", "2", "10", "10", "10", "10", "10", "10", "10"}, "--jobs applies to --batch only"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runOn(header + "10,10,10,10,10,10,10\n", c.args),
                  (Outcome{ExitUsage, "", "kalden-report: " + c.problem + "\n\n" + usageText()}))
            << c.problem;
    }
}

// A real process, interrupted while it waits for more rows on a pipe.
// The temporary file has no name until it is complete, so that not even
// SIGKILL can leave it behind.
TEST_F(BatchJobs, AnInterruptedBatchLeavesNoTemporaryFileAndKeepsTheOldOne) {
    const fs::path output = dir_ / "out.txt";
    for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal);
        std::ofstream(output, std::ios::binary) << "old";
        int feed[2];
        ASSERT_EQ(::pipe(feed), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(feed[0], 0);
            ::close(feed[0]);
            ::close(feed[1]);
            ::dup2(::open("/dev/null", O_WRONLY), 2); // the rows' warnings are not this test's concern
            ::execl(KALDEN_REPORT, KALDEN_REPORT, "--batch", "-", "--jobs", "2", "--output", output.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(feed[0]);
        const std::string rows = mixedBatch(6000); // more than the reader's buffer holds
        ASSERT_EQ(::write(feed[1], rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the rows written so far are scored
        const std::size_t whileRunning = entries();
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(feed[1]);
        EXPECT_EQ(whileRunning, 1u) << "nothing but the old file is to be seen";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(entries(), 1u) << "no temporary file left";
        EXPECT_EQ(get(output), "old");
    }
}

// Rows are read on one thread while others write, each writer in its turn,
// so no stream may be reached by two threads at once: a read from standard
// input, tied to standard output, flushed it from the reading thread and now
// and then garbled a row. The tie is made here on purpose. Each call into the
// buffer lingers a little, so that calls from two threads at once overlap.
class OneAtATimeBuffer : public std::stringbuf {
public:
    int overlaps() const { return overlaps_; }

protected:
    int sync() override {
        const Visit visit(*this);
        return std::stringbuf::sync();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const Visit visit(*this);
        return std::stringbuf::xsputn(s, n);
    }
    int_type overflow(int_type c) override {
        const Visit visit(*this);
        return std::stringbuf::overflow(c);
    }

private:
    // A visit by the thread already inside (xsputn calling overflow) is no
    // second visitor.
    struct Visit {
        explicit Visit(OneAtATimeBuffer& buffer) : buffer_(buffer) {
            if (depth_++ > 0) return;
            if (buffer_.inside_.exchange(true)) ++buffer_.overlaps_;
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
        ~Visit() {
            if (--depth_ == 0) buffer_.inside_ = false;
        }
        OneAtATimeBuffer& buffer_;
        static thread_local int depth_;
    };
    std::atomic<bool> inside_{false};
    std::atomic<int> overlaps_{0};
};

thread_local int OneAtATimeBuffer::Visit::depth_ = 0;

TEST_F(BatchJobs, TheOutputStreamIsWrittenByOneThreadAtATime) {
    const std::string input = mixedBatch(3000); // more than one read of standard input
    const Outcome one = runOn(input, {"--batch", "-", "--format", "csv", "--jobs", "1"});
    std::istringstream in(input);
    OneAtATimeBuffer buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    in.tie(&out);
    const int status = run({"--batch", "-", "--format", "csv", "--jobs", "4"}, in, out, err);
    EXPECT_EQ(buffer.overlaps(), 0);
    EXPECT_EQ(in.tie(), &out) << "the caller's tie is given back";
    EXPECT_EQ((Outcome{status, buffer.str(), err.str()}), one);
}

// The same from a pipe, as a user runs it, in every format and many times.
TEST_F(BatchJobs, StandardInputFromAPipeGivesTheBytesOfOneEveryTime) {
    const fs::path input = dir_ / "in.csv";
    std::ofstream(input, std::ios::binary) << mixedBatch(3000);
    for (const char* format : {"csv", "text", "json"}) {
        SCOPED_TRACE(format);
        const ChildRun one = runProcess({"--batch", "-", "--format", format, "--jobs", "1"}, input, dir_);
        ASSERT_EQ(one.status, ExitInputRejected) << one.err;
        for (int run = 0; run < 8; ++run) {
            const ChildRun many = runProcess({"--batch", "-", "--format", format}, input, dir_, nullptr, -1, true);
            ASSERT_EQ(many.status, one.status) << "run " << run;
            ASSERT_TRUE(many.out == one.out && many.err == one.err) << "run " << run << " differs";
        }
    }
}

TEST_F(BatchJobs, AFailedWriteToStandardOutputIsReported) {
    const fs::path input = dir_ / "in.csv";
    std::ofstream(input, std::ios::binary) << mixedBatch(30);
    const std::string full =
        "kalden-report: cannot write to standard output: " + std::string(std::strerror(ENOSPC)) + "\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--batch", "-"}, std::vector<std::string>{"12", "7", "11", "9", "8", "10", "13"}}) {
        SCOPED_TRACE(args.front());
        const ChildRun run = runProcess(args, input, dir_, "/dev/full");
        EXPECT_EQ(run.status, ExitWriteFailed);
        EXPECT_NE(run.err.find(full), std::string::npos) << run.err;
    }
}

// A reader of the messages that goes away (stderr piped into head -1) must
// not cost the results.
TEST_F(BatchJobs, AClosedStandardErrorDoesNotLoseTheOutputFile) {
    const fs::path input = dir_ / "in.csv", output = dir_ / "out.txt", expected = dir_ / "expected.txt";
    std::ofstream(input, std::ios::binary) << mixedBatch(3000);
    ASSERT_EQ(runProcess({"--batch", "-", "--jobs", "1", "--output", expected.string()}, input, dir_).status,
              ExitInputRejected);
    int messages[2];
    ASSERT_EQ(::pipe(messages), 0);
    ::close(messages[0]); // nobody reads them
    const ChildRun run = runProcess({"--batch", "-", "--output", output.string()}, input, dir_, nullptr, messages[1]);
    ::close(messages[1]);
    EXPECT_EQ(run.status, ExitInputRejected);
    EXPECT_EQ(get(output), get(expected));
}

// Rows go to standard output many at a time: every byte in order however the
// pieces fall (empty ones, more than one call takes, more than a pipe holds
// while its reader lags), and a closed pipe's error.
TEST(WritePieces, WritesEveryPieceInOrderAndGivesTheSystemsError) {
    std::vector<std::string> texts;
    std::string expected;
    for (int i = 0; i < 700; ++i) {
        texts.push_back(i % 7 == 0 ? "" : std::string(static_cast<std::size_t>(i * 13 % 997), char('a' + i % 26)));
        expected += texts.back();
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::string got;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(ends[0], buffer, sizeof buffer)) > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    EXPECT_EQ(writePieces(ends[1], pieces), 0);
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);

    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    EXPECT_EQ(writePieces(ends[1], pieces), EPIPE);
    ::close(ends[1]);
    std::signal(SIGPIPE, previous);
}
