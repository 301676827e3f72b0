// Folder navigation: "*.jpg" files in the order the folder lists them, no wrap-around.
#include "shell/commands/Navigation.h"

#include <algorithm>
#include <cstdint>

#include "shell/Editor.h"
#include "shell/Host.h"

namespace zorva::shell {

namespace {

// The capital of a lower-case letter of the Latin (with Latin-1 and
// Latin Extended-A), Greek and Cyrillic alphabets; other code points as they
// are. These are the letters file names in this program's audience use.
char32_t Capital(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs capital/small; from 0x139 to 0x148 and from 0x179 to 0x17E
        // the capital is the odd one.
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddCapitals) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;  // Greek, final sigma to Sigma
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                       // Cyrillic а..я
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;                       // ѐ..џ
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return (c % 2 == 1) ? c - 1 : c;
    return c;
}

// The comparison key of a name: its UTF-16 code units with every letter
// capitalised. A byte that does not start valid UTF-8 stands for itself.
std::u16string FolderKey(std::string_view name) {
    std::u16string key;
    key.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto b = uint8_t(name[i]);
        char32_t c = b;
        size_t length = 1;
        if (b >= 0xC2 && b <= 0xF4) {
            const size_t need = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t value = b & (0x7F >> need);
            bool valid = i + need <= name.size();
            for (size_t k = 1; valid && k < need; ++k) {
                const auto t = uint8_t(name[i + k]);
                valid = (t & 0xC0) == 0x80;
                value = value << 6 | (t & 0x3F);
            }
            const char32_t minimum = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
            if (valid && value >= minimum && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) {
                c = value;
                length = need;
            }
        }
        c = Capital(c);
        if (c >= 0x10000) {
            key.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            key.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            key.push_back(char16_t(c));
        }
        i += length;
    }
    return key;
}

}  // namespace

bool HasJpgExtension(std::string_view name) {
    if (name.size() < 4) return false;
    const std::string_view tail = name.substr(name.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c; };
    return tail[0] == '.' && lower(tail[1]) == 'j' && lower(tail[2]) == 'p' && lower(tail[3]) == 'g';
}

bool FolderOrderLess(std::string_view a, std::string_view b) {
    const std::u16string ka = FolderKey(a);
    const std::u16string kb = FolderKey(b);
    if (ka != kb) return ka < kb;
    return a < b;
}

std::vector<std::string> ListJpegFiles(Host& host, const std::string& folder) {
    std::vector<std::string> names = host.listFolder(folder);
    std::erase_if(names, [](const std::string& n) { return !HasJpgExtension(n); });
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& n : names) keyed.emplace_back(FolderKey(n), std::move(n));
    std::sort(keyed.begin(), keyed.end());  // key first, then the bytes
    names.clear();
    for (auto& [key, name] : keyed) names.push_back(std::move(name));
    return names;
}

std::optional<std::string> Neighbour(const std::vector<std::string>& names, std::string_view current,
                                     Direction direction) {
    const auto it = std::find(names.begin(), names.end(), current);
    if (it == names.end()) return std::nullopt;
    if (direction == Direction::Next) {
        if (it + 1 == names.end()) return std::nullopt;
        return *(it + 1);
    }
    if (it == names.begin()) return std::nullopt;
    return *(it - 1);
}

void NavigateFolder(Editor& editor, Direction direction) {
    if (!editor.hasDocument()) return;
    const std::string path = editor.state().currentFilePath;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    const std::vector<std::string> names = ListJpegFiles(editor.host(), folder.empty() ? "." : folder);
    if (names.empty()) {
        editor.host().message(kNoImageFiles, "", MessageIcon::Question);
        return;
    }
    const std::optional<std::string> chosen = Neighbour(names, name, direction);
    if (!chosen) return;
    // The path follows the document: when the neighbour cannot be loaded the
    // old picture stays, and so does the path that files beside it use.
    editor.state().currentFilePath = folder + *chosen;
    if (!editor.loadDocument(editor.state().currentFilePath, InstallKind::Navigate))
        editor.state().currentFilePath = path;
    editor.host().repaint(true);
}

}  // namespace zorva::shell
