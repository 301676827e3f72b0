// The fixed texts of the editor's message boxes and status bar.
#pragma once

#include <string_view>

namespace zorva::shell::text {

inline constexpr std::string_view kCaption = "zorva";
inline constexpr std::string_view kCannotLoad = "Не может загрузить файл";
inline constexpr std::string_view kCannotWrite = "Нельзя записать файл";
inline constexpr std::string_view kNoMemory = "Не достаточно оперативной памяти для работы!";
inline constexpr std::string_view kTooLarge = "Изображение слишком велико";
// An undo step could not be kept (the snapshot folder is full or gone).
inline constexpr std::string_view kUndoLost = "Не удалось сохранить шаг отмены";
// A snapshot file could not be read back; the picture is left as it was.
inline constexpr std::string_view kUndoUnreadable = "Не удалось прочитать шаг отмены";

// A report, base or SVG whose path names the open picture's own file is
// not written: it would replace the picture.
inline constexpr std::string_view kOutputIsPicture = "Файл совпадает с открытым изображением и не записан";
// A folder whose list of files cannot be read (no permission).
inline constexpr std::string_view kFolderUnreadable = "Нет доступа к папке";
// The engraving's widest window is 17 pixels each way.
inline constexpr std::string_view kTooSmallToEngrave = "Гравюра требует изображения не меньше 17x17 точек";

// A segmentation that would run out of 24-bit labels (or of table room) is
// refused before anything is painted.
inline constexpr std::string_view kTooManySegments = "Слишком много сегментов";

// Before a picture with unsaved changes is replaced or the window closes.
inline constexpr std::string_view kSaveChanges = "Сохранить изменения?";
// The window's title: the picture's file name, this after it, and a mark
// before it while there are unsaved changes; a new picture has no name yet.
inline constexpr std::string_view kTitleSuffix = " — Zorva";
inline constexpr std::string_view kUnsavedMark = "*";
inline constexpr std::string_view kUntitled = "Без имени";

inline constexpr std::string_view kFieldCoordinates = "Координаты:";
inline constexpr std::string_view kFieldSegment = "Сегмент:";
inline constexpr std::string_view kFieldColour = "  Цвет";
inline constexpr std::string_view kFieldArea = "Площадь";
inline constexpr std::string_view kElapsedPrefix = "T(ms)=";

}  // namespace zorva::shell::text
