// The parts of the platform interface that need no platform: listing a folder, a clipboard within the process.
#include "shell/Host.h"

#include <filesystem>

#include "edit/ClipboardDib.h"

namespace zorva::shell {

std::optional<std::vector<std::string>> Host::listFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        // Folders named like pictures are no pictures; links to files are.
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    if (ec) return std::nullopt;
    return names;
}

void Host::setClipboardPicture(core::BmpView picture) {
    m_clipboard = edit::DibOf(picture);
}

std::optional<core::BmpImage> Host::clipboardPicture() {
    if (m_clipboard.empty()) return std::nullopt;
    return edit::PictureFromDib(m_clipboard);
}

}  // namespace zorva::shell
