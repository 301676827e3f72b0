// The shipped data files' text: lines of words separated by spaces, "#" starting a comment line.
#pragma once

#include <string_view>

namespace zorva::recognize {

// Calls `visit(line)` for each line of `text` that is neither empty nor a
// comment, without its line end.
template <typename Visit>
void ForEachDataLine(std::string_view text, Visit&& visit) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.empty() && !line.starts_with('#')) visit(line);
    }
}

}  // namespace zorva::recognize
