// The order file names are listed in: letter case ignored, as the file systems of the program's users list folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorva::shell {

// Names compared letter by letter with lower-case letters (Latin, Greek,
// Cyrillic) taken as their capitals, as UTF-16 code units; names equal that
// way fall back to their bytes, so the order never depends on the order the
// file system returns.
bool FolderOrderLess(std::string_view a, std::string_view b);

// Sorts `names` into folder order.
void SortFolderOrder(std::vector<std::string>& names);

}  // namespace zorva::shell
