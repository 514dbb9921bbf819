#include "format/Wording.h"

#include <algorithm>

namespace kalden {

std::string joinWords(const std::vector<std::string>& parts) {
    const bool commas =
        std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.find(',') != std::string::npos; });
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i == 0                  ? ""
                : i + 1 == parts.size() ? (parts.size() > 2 || commas ? ", and " : " and ")
                                        : ", ") +
               parts[i];
    return out;
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace kalden
