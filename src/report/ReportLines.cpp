#include "report/ReportLines.h"

namespace kalden {

void LineSink::add(std::string_view line) {
    if (lines_) {
        lines_->emplace_back(line);
    } else {
        text_->append(line).append(lineEnd_);
    }
}

void LineSink::addFormatted(std::string_view pattern, std::initializer_list<FormatArg> args) {
    if (lines_) {
        lines_->push_back(formatText(pattern, args));
    } else {
        appendFormatText(*text_, pattern, args);
        text_->append(lineEnd_);
    }
}

void LineSink::addRule(int count) {
    if (lines_) {
        lines_->push_back(rule(count));
    } else {
        text_->push_back(' ');
        text_->append(static_cast<std::size_t>(count), '_').append(lineEnd_);
    }
}

} // namespace kalden
