// The commands of the document itself: new, open, save, undo, redo, the views and the drawing settings.
#pragma once

#include <string>

#include "shell/commands/CommandId.h"

namespace zorva::shell {

class Editor;

// Before the picture is replaced (New, Open, the arrows, a folder run, a
// dropped file) or the window closes: with unsaved changes, asks
// "Сохранить изменения?". Да saves as "Записать" does (its dialog, then the
// write). True when the picture may go: saved, or Нет; false for Отмена and
// for a save that was cancelled or failed, and the picture stays.
bool MayReplaceDocument(Editor& editor);
// Opens `path` as "&Открыть" does once its dialog has answered (recent files,
// a file dropped on the window), the question first. True when it became the
// document.
bool OpenFile(Editor& editor, const std::string& path);
// "&Записать": the save dialog from CurrentFilePath, then the write in the
// format the name says. True when the file was written.
bool SaveAs(Editor& editor);

// 40000 "&Создать": a white 1020 x 680 picture in the actual-pixel view;
// "Не достаточно оперативной памяти для работы!" when it cannot be had.
void NewCommand(Editor& editor);
// 40001 "&Открыть": the open dialog, then the picture in the preview. A
// file that fails to load keeps the document and the path as they were.
void OpenCommand(Editor& editor);
// 40012 "&Записать": the save dialog, then the document as a 24-bit BMP.
void SaveCommand(Editor& editor);
// 40010 "&Отмена": one step back (from the journal while a finished
// selection is on the picture); the layout follows the restored size and
// ToolMode returns to SavedTool. 40052 "&Повтор": one step forward.
void UndoCommand(Editor& editor);
void RedoCommand(Editor& editor);
// 40053 "Режим копирования": toggles CopyMode.
void ToggleCopyMode(Editor& editor);
// 40002 "&Исходное изображение" (a new layout first) and 40005 "Просмотр".
void ShowSourceView(Editor& editor);
void ShowPreview(Editor& editor);
// The "Линия", "Ластик" and "Сетка" items: the setting, the pen of the
// current tool where it uses it, and the group's check mark on `item`.
void SetLineWidth(Editor& editor, int pixels, CommandId item);
void SetEraserSize(Editor& editor, int pixels, CommandId item);
void SetGrid(Editor& editor, int step, CommandId item);

}  // namespace zorva::shell
