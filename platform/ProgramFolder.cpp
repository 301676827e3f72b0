// The folder that holds the running program.
#include "platform/ProgramFolder.h"

#include <filesystem>

namespace zorva::platform {

std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

}  // namespace zorva::platform
