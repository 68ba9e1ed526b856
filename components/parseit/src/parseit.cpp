#include "parseit/parseit.h"

namespace parseit {

std::string_view NextToken(long position, std::string_view text, std::string_view separator) {
    if (position < 0 || static_cast<unsigned long>(position) >= text.size()) return {};
    const auto start = static_cast<std::size_t>(position);
    const auto end = separator.empty() ? std::string_view::npos : text.find(separator, start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace parseit
