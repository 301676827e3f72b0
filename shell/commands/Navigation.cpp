// Folder navigation: "*.jpg" files in the order the folder lists them, no wrap-around.
#include "shell/commands/Navigation.h"

#include <algorithm>
#include <cstdint>

#include "shell/Editor.h"
#include "shell/Host.h"
#include "shell/Messages.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/text/FolderOrder.h"

namespace zorva::shell {

bool HasJpgExtension(std::string_view name) {
    if (name.size() < 4) return false;
    const std::string_view tail = name.substr(name.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c; };
    return tail[0] == '.' && lower(tail[1]) == 'j' && lower(tail[2]) == 'p' && lower(tail[3]) == 'g';
}

std::optional<std::vector<std::string>> ListJpegFiles(Host& host, const std::string& folder) {
    std::optional<std::vector<std::string>> names = host.listFolder(folder);
    if (!names) return names;
    std::erase_if(*names, [](const std::string& n) { return !HasJpgExtension(n); });
    SortFolderOrder(*names);
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

    const std::optional<std::vector<std::string>> names = ListJpegFiles(editor.host(), folder.empty() ? "." : folder);
    if (!names) {
        editor.message(text::kFolderUnreadable, MessageIcon::Exclamation);
        return;
    }
    if (names->empty()) {
        editor.host().message(kNoImageFiles, "", MessageIcon::Question);
        return;
    }
    const std::optional<std::string> chosen = Neighbour(*names, name, direction);
    if (!chosen) return;
    if (!MayReplaceDocument(editor)) return;
    // The path follows the document: when the neighbour cannot be loaded the
    // old picture stays, and so does the path that files beside it use.
    editor.state().currentFilePath = folder + *chosen;
    if (!editor.loadDocument(editor.state().currentFilePath, InstallKind::Navigate))
        editor.state().currentFilePath = path;
    editor.host().repaint(true);
}

}  // namespace zorva::shell
