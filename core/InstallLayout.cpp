// Telling an installed copy from a build tree, and finding the installed data folder.
#include "core/InstallLayout.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace zorva::core {

namespace {

namespace fs = std::filesystem;

// The top folders of the file-system hierarchy that hold installed programs:
// they belong to the system and its package manager, never to one user.
constexpr std::array<std::string_view, 9> kSystemPrefixes = {
    "/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/opt", "/snap",
};

bool IsUnder(const fs::path& path, std::string_view prefix) {
    const std::string text = path.string();
    return text.compare(0, prefix.size(), prefix) == 0 && (text.size() == prefix.size() || text[prefix.size()] == '/');
}

bool HoldsAny(const fs::path& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::error_code ec;
        if (fs::is_regular_file(folder / name, ec)) return true;
    }
    return false;
}

}  // namespace

bool IsInstalledProgramFolder(const std::string& programFolder) {
    if (programFolder.empty()) return false;
    const fs::path folder = fs::path(programFolder).lexically_normal();
    for (std::string_view prefix : kSystemPrefixes)
        if (IsUnder(folder, prefix)) return true;
    return !InstalledDataFolder(programFolder).empty();
}

std::string InstalledDataFolder(const std::string& programFolder) {
    if (programFolder.empty()) return {};
    const fs::path data = (fs::path(programFolder) / ".." / "share" / "zorva").lexically_normal();
    std::error_code ec;
    return fs::is_directory(data, ec) ? data.string() : std::string();
}

std::string DataFolder(const std::string& programFolder, const std::vector<std::string>& names) {
    if (programFolder.empty() || HoldsAny(programFolder, names)) return programFolder;
    const std::string installed = InstalledDataFolder(programFolder);
    return !installed.empty() && HoldsAny(installed, names) ? installed : programFolder;
}

}  // namespace zorva::core
