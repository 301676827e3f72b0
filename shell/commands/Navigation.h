// Stepping to the previous or next JPEG file in the current file's folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva::shell {

class Editor;
class Host;

inline constexpr std::string_view kNoImageFiles = "Нет Файлов изображения";

enum class Direction { Previous, Next };

// Whether `name` ends in ".jpg" in any letter case ("x.JPG" yes, "x.jpeg" no).
bool HasJpgExtension(std::string_view name);

// The "*.jpg" files of `folder` from `host`, in folder order.
std::optional<std::vector<std::string>> ListJpegFiles(Host& host, const std::string& folder);

// The neighbour of `current` (compared byte for byte) among `names` in the
// given direction; nothing when `current` is not among them or is already
// the first (previous) or the last (next). No wrap-around.
std::optional<std::string> Neighbour(const std::vector<std::string>& names, std::string_view current,
                                     Direction direction);

// Commands " < " (40087) and " > " (40086). Without a document nothing
// happens. A folder without "*.jpg" files shows "Нет Файлов изображения"
// (empty caption, question icon). Otherwise the neighbour is loaded as a
// navigation install (preview, empty undo ring, palette and status bar kept)
// and the window repainted; a neighbour that cannot be loaded shows "Не может
// загрузить файл" and leaves document and path as they were.
void NavigateFolder(Editor& editor, Direction direction);

}  // namespace zorva::shell
