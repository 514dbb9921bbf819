#include "files/PreviousDataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "files/PrivateFolder.h"
#include "files/TextFile.h"
#include "files/Utf8Path.h"
#include "format/NumberFormat.h"
#include "worksheet/InputValidation.h"

namespace kalden {

// ---- Where the file lives -------------------------------------------------

std::string programFolderByExeScan(std::string_view path, char separator) {
    std::size_t lastSeparator = 0; // position 1 of the path, zero-based
    const std::size_t n = path.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (path[i] == separator) lastSeparator = i;
        if (path[i] == '.' && i + 3 < n) {
            const auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
            if (lower(path[i + 1]) == 'e' && lower(path[i + 2]) == 'x' && lower(path[i + 3]) == 'e')
                return std::string(path.substr(0, lastSeparator));
        }
    }
    return std::string();
}

std::string programFolder(std::string_view executablePath) {
    const auto slash = executablePath.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    return std::string(executablePath.substr(0, slash));
}

std::string dataFilePath(std::string_view folder, std::string_view fileName, char separator) {
    std::string path(folder);
    path.push_back(separator);
    path.append(fileName);
    return path;
}

std::string userDataFolder(std::string_view dataHome) { return dataFilePath(dataHome, DataFolderName); }

namespace {

bool existsAt(const std::string& path) {
    FileStatus st{};
#ifdef _WIN32
    return statUtf8(path, st) == 0; // no symbolic links to tell apart
#else
    return ::lstat(path.c_str(), &st) == 0;
#endif
}

bool isReadableRegularFile(const std::string& path) {
    FileStatus st{};
#ifdef _WIN32
    const bool readable = readableUtf8(path);
#else
    const bool readable = ::access(path.c_str(), R_OK) == 0;
#endif
    return statUtf8(path, st) == 0 && S_ISREG(st.st_mode) && readable;
}

} // namespace

std::string PreviousDataLocation::startFile() const {
    if (existsAt(userFile) || existsAt(userFolder) || !isReadableRegularFile(legacyFile)) return userFile;
    return legacyFile;
}

PreviousDataLocation previousDataLocation(std::string_view dataHome, std::string_view executablePath,
                                          std::string_view fileName) {
    PreviousDataLocation location;
    location.legacyFile = dataFilePath(programFolder(executablePath), fileName);
    if (dataHome.empty()) {
        location.userFolder = programFolder(executablePath);
        location.userFile = location.legacyFile;
    } else {
        location.userFolder = userDataFolder(dataHome);
        location.userFile = dataFilePath(location.userFolder, fileName);
    }
    return location;
}

// ---- Writing ---------------------------------------------------------------

std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ') out.push_back(c);
    return out;
}

namespace {

// A text as one number that the reading takes back whole: the text without
// its blanks when it converts and fits in one token, otherwise the value the
// program's own scan gives it (0 for a text the scan rejects, as the report
// echoes such a grid cell) in general format with 17 digits.
std::string numberToken(const std::string& text) {
    const std::string token = withoutBlanks(text);
    double value = 0.0;
    if (token.size() <= MaxNumberTokenLength && convertDecimal(token, value)) return token;
    const NumberScan scan = scanNumber(token);
    return formatGeneral(scan.ok ? scan.value : 0.0, 17);
}

} // namespace

std::string composePreviousDataContent(const PreviousData& data, const TemplateConfig& config) {
    std::string out;
    for (const std::string& text : data.fieldTexts) {
        // An empty field (the hidden age field) stays an empty entry.
        if (!withoutBlanks(text).empty()) out += numberToken(text);
        out += ' ';
    }
    if (config.UseDataGrid) {
        // The reading sizes the grid by fields 1 and 2 as they come back, so
        // exactly that many cells are written: cells the worksheet's grid does
        // not have are written as 0. When those fields give no size the
        // reading stops there, and no cell is written.
        TemplateConfig fieldsOnly = config;
        fieldsOnly.UseDataGrid = false;
        fieldsOnly.UseCorrelationMatrix = false;
        const PreviousDataReading back = readPreviousDataContent(out, fieldsOnly);
        int columns = 0;
        int rows = 0;
        std::string error;
        if (back.ok() && restoredGridSize(back, columns, rows, error)) {
            for (int row = 0; row < rows; ++row) {
                for (int column = 1; column <= columns; ++column) {
                    const auto r = static_cast<std::size_t>(row);
                    const auto c = static_cast<std::size_t>(column - 1);
                    const bool present = r < data.gridCells.size() && c < data.gridCells[r].size();
                    out += numberToken(present ? data.gridCells[r][c] : std::string());
                    out += ' ';
                }
            }
        }
    }
    if (config.UseCorrelationMatrix) {
        const int n = std::min(data.matrixSize, MAX_ORDER);
        for (int i = 1; i <= n; ++i) {
            for (int j = 1; j <= i; ++j) {
                out += ' ';
                out +=
                    formatFixed(data.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))], 1, 3, '.');
            }
        }
    }
    return out;
}

// ---- Reading ---------------------------------------------------------------

namespace {

bool isSeparatorChar(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The whole number in a restored field text ("%1.6g" form): only an optional
// sign and digits.
bool wholeNumberOf(const std::string& text, int& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

std::string notAWholeNumber(const std::string& text) { return "'" + text + "' is not a valid integer value"; }

} // namespace

bool restoredGridSize(const PreviousDataReading& reading, int& columns, int& rows, std::string& error) {
    if (!wholeNumberOf(reading.fieldTexts[0], columns)) {
        error = notAWholeNumber(reading.fieldTexts[0]);
        return false;
    }
    if (!wholeNumberOf(reading.fieldTexts[1], rows)) {
        error = notAWholeNumber(reading.fieldTexts[1]);
        return false;
    }
    if (columns < 0 || columns > MaxGridColumns || rows < 0 || rows > MaxGridRows) {
        error = "Grid size out of range";
        return false;
    }
    return true;
}

bool convertDecimal(std::string_view token, double& value) {
    value = 0.0;
    std::size_t i = 0;
    const std::size_t n = token.size();
    bool negative = false;
    if (i < n && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < n && isDigit(token[i])) ++i, ++digits;
    if (i < n && token[i] == '.') {
        ++i;
        while (i < n && isDigit(token[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(token[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    // from_chars takes no leading '+' and converts with the C locale's rules
    // whatever the user's locale is.
    std::string body(token.substr(mantissaStart));
    // "e+5" is fine for from_chars; a mantissa such as "5." or ".5" too.
    double parsed = 0.0;
    const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), parsed);
    if (ec != std::errc() || ptr != body.data() + body.size()) return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool NumberReader::read(double& value) {
    value = 0.0;
    while (offset_ < content_.size() && isSeparatorChar(content_[offset_])) ++offset_;
    if (offset_ >= content_.size()) return true; // end of file reads as 0
    const std::size_t start = offset_;
    while (offset_ < content_.size() && offset_ - start < MaxNumberTokenLength && !isSeparatorChar(content_[offset_]))
        ++offset_;
    return convertDecimal(content_.substr(start, offset_ - start), value);
}

namespace {

// One reading in progress: the numbers taken so far and where the first
// failure stopped it.
class ContentReading {
public:
    explicit ContentReading(std::string_view content) : reader_(content) {}

    PreviousDataReading& result() { return r_; }

    // The next number; false (with "Invalid numeric input") when it does not convert.
    bool next(double& v) {
        const bool ok = reader_.read(v);
        r_.offset = reader_.offset();
        if (!ok) {
            r_.error = InvalidNumericInput;
            return false;
        }
        ++r_.valuesRead;
        return true;
    }

    // Step 3: fields 1 to 7 while k <= StoredValueCount; field 8 only when
    // StoredValueCount is exactly 8.
    bool readFields(const TemplateConfig& config) {
        for (int k = 1; k <= 8; ++k) {
            if (k <= 7 ? k > config.StoredValueCount : config.StoredValueCount != 8) continue;
            double v = 0.0;
            if (!next(v)) return false;
            r_.fieldTexts[static_cast<std::size_t>(k - 1)] = formatGeneral(v);
            r_.fieldsRead = k;
        }
        return true;
    }

    // Step 5: the grid, sized by fields 1 and 2.
    bool readGrid() {
        int columns = 0;
        int rows = 0;
        if (!restoredGridSize(r_, columns, rows, r_.error)) return false;
        r_.gridColumns = columns;
        r_.gridRows = rows;
        r_.gridCells.assign(static_cast<std::size_t>(rows),
                            std::vector<std::string>(static_cast<std::size_t>(columns)));
        for (auto& row : r_.gridCells) {
            for (std::string& cell : row) {
                double v = 0.0;
                if (!next(v)) return false;
                cell = formatGeneral(v);
            }
        }
        r_.gridRestored = true;
        return true;
    }

    // Step 6: the lower triangle; the j-th number of row i into (j, i).
    bool readMatrix() {
        int n = 0;
        if (!r_.fieldTexts[7].empty() && !wholeNumberOf(r_.fieldTexts[7], n)) {
            r_.error = notAWholeNumber(r_.fieldTexts[7]);
            return false;
        }
        if (n < 0 || n > MAX_ORDER) {
            r_.error = "Matrix order out of range";
            return false;
        }
        r_.matrixOrder = n;
        for (int i = 1; i <= n; ++i) {
            for (int j = 1; j <= i; ++j)
                if (!next(element(j, i))) return false;
            element(i, i) = 1.0;
        }
        r_.matrixRestored = true;
        return true;
    }

private:
    double& element(int i, int j) { return r_.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))]; }

    NumberReader reader_;
    PreviousDataReading r_;
};

} // namespace

PreviousDataReading readPreviousDataContent(std::string_view content, const TemplateConfig& config) {
    ContentReading reading(content);
    if (reading.readFields(config) && (!config.UseDataGrid || reading.readGrid()) && config.UseCorrelationMatrix)
        reading.readMatrix();
    return reading.result();
}

// ---- The file itself ------------------------------------------------------

namespace {

// The file's content, read to the end or up to MaxPreviousDataBytes (nothing
// a template reads lies further); false with the system's error code.
bool readContent(int fd, std::string& content, int& code) {
    char buffer[4096];
    for (;;) {
        const auto got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            code = errno;
            return false;
        }
        content.append(buffer, static_cast<std::size_t>(got));
        if (got == 0 || content.size() > MaxPreviousDataBytes) return true;
    }
}

#ifdef _WIN32
constexpr int FromCurrentFolder = 0;
#else
constexpr int FromCurrentFolder = AT_FDCWD;
#endif

// The file `name` in the open folder `folder` (FromCurrentFolder: `name` is a
// path), a symbolic link in its place not followed.
PreviousDataFileResult readDataFileAt([[maybe_unused]] int folder, const std::string& name,
                                      const TemplateConfig& config) {
    PreviousDataFileResult result;
    FileStatus st{};
#ifdef _WIN32
    const int found = statUtf8(name, st);
#else
    const int found = ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
#endif
    if (found != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return result; // no file: not an error
        result.found = true;
        result.unreadable = true;
        result.reading.error = std::strerror(errno);
        return result;
    }
    result.found = true;
    result.unreadable = true; // until the content is in hand
#ifndef _WIN32
    if (S_ISLNK(st.st_mode)) {
        result.reading.error = "A symbolic link, which is not followed";
        return result;
    }
#endif
    // A pipe or device would block the start-up or never end.
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        result.reading.error = "Not a regular file";
        return result;
    }
#ifdef _WIN32
    const int fd = openUtf8(name, O_RDONLY | O_BINARY);
#else
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd < 0) {
        result.reading.error = std::strerror(errno);
        return result;
    }
    std::string content;
    int code = 0;
    const bool read = readContent(fd, content, code);
    ::close(fd);
    if (!read) {
        result.reading.error = std::strerror(code);
        return result;
    }
    result.unreadable = false;
    result.reading = readPreviousDataContent(content, config);
    return result;
}

#ifndef _WIN32
std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
#endif

std::string folderOf(const std::string& path) {
#ifdef _WIN32
    const auto slash = path.find_last_of("/\\"); // both of Windows' separators
#else
    const auto slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

PreviousDataFileResult loadPreviousDataFile(const std::string& path, const TemplateConfig& config) {
    return readDataFileAt(FromCurrentFolder, path, config);
}

PreviousDataFileResult loadPreviousData(const PreviousDataLocation& where, const TemplateConfig& config) {
    const std::string path = where.startFile();
    if (path != where.userFile) return loadPreviousDataFile(path, config);
    PreviousDataFileResult result;
    PrivateFolder folder;
    std::string error;
    switch (folder.open(where.userFolder, false, error)) {
    case PrivateFolder::Outcome::Missing: return result;
    case PrivateFolder::Outcome::Refused:
        result.found = true;
        result.unreadable = true;
        result.reading.error = error;
        return result;
    case PrivateFolder::Outcome::Open: break;
    }
#ifdef _WIN32
    return loadPreviousDataFile(path, config);
#else
    return readDataFileAt(folder.descriptor(), nameOf(path), config);
#endif
}

bool savePreviousDataFile(const std::string& path, const std::string& content, std::string& error) {
    PrivateFolder folder;
    if (folder.open(folderOf(path), true, error) != PrivateFolder::Outcome::Open) return false;
#ifdef _WIN32
    return writeFileReplacing(path, content, error, 0600);
#else
    FileReplacement file;
    if (!file.openPrivate(folder.descriptor(), nameOf(path), error)) return false;
    file.write(content);
    return file.commit(error);
#endif
}

bool deletePreviousDataFile(const std::string& path, std::string& error) {
    PrivateFolder folder;
    switch (folder.open(folderOf(path), false, error)) {
    case PrivateFolder::Outcome::Missing: return true;
    case PrivateFolder::Outcome::Refused: return false;
    case PrivateFolder::Outcome::Open: break;
    }
#ifdef _WIN32
    const int removed = unlinkUtf8(path);
#else
    const int removed = ::unlinkat(folder.descriptor(), nameOf(path).c_str(), 0);
#endif
    if (removed == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return true;
    error = std::strerror(errno);
    return false;
}

} // namespace kalden
