// The filter list and default extension shared by the open and save dialogs.
#pragma once

#include <array>
#include <string_view>

namespace zorva::shell {

struct FileFilter {
    std::string_view text;     // what the dialog shows
    std::string_view pattern;  // patterns separated by ';'
};

// In this order; the first pair is preselected.
inline constexpr std::array<FileFilter, 7> kFileFilters = {{
    {"Файлы изображений", "*.bmp;*.jpg;*.jpe;*.jpeg;*.png;*.tif;*.ico;*.gif;*.rle"},
    {"Bitmap Files (*.bmp;*.rle;*.ico)", "*.bmp;*.rle;*.ico"},
    {"JPEG (*.jpg;*.jpe)", "*.jpg;*.jpe;*.jpeg"},
    {"PNG (*.png)", "*.png"},
    {"GIG (*.gif)", "*.gif"},
    {"TIFF (*.tif)", "*.tif"},
    {"All Files (*.*)", "*.*"},
}};

// The save dialog's: the formats a picture is written in, as its name's
// ending chooses them (a name of another ending is written as the BMP). The
// first, preselected, agrees with the default extension.
inline constexpr std::array<FileFilter, 5> kSaveFilters = {{
    {"JPEG (*.jpg;*.jpeg)", "*.jpg;*.jpeg;*.jpe"},
    {"Bitmap Files (*.bmp)", "*.bmp"},
    {"PNG (*.png)", "*.png"},
    {"TIFF (*.tif;*.tiff)", "*.tif;*.tiff"},
    {"WebP (*.webp)", "*.webp"},
}};

// Appended by both dialogs to a name typed without an extension, so a picture
// saved as "photo" becomes "photo.jpg" holding BMP data (it reopens fine: the
// decoder reads the data, not the name).
inline constexpr std::string_view kDefaultExtension = "jpg";

}  // namespace zorva::shell
