// New, open, save, undo, redo, the two views, line width, eraser size and the snap grid.
#include "shell/commands/DocumentCommands.h"

#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/Selection.h"

namespace zorva::shell {

void NewCommand(Editor& editor) {
    core::BmpImage image = core::BmpImage::New();
    if (!image) {
        editor.message(text::kNoMemory);
        return;
    }
    editor.install(std::move(image), InstallKind::New);
}

void OpenCommand(Editor& editor) {
    EditorState& state = editor.state();
    const std::optional<std::string> chosen = editor.host().chooseOpenFile(state.currentFilePath);
    if (!chosen) return;
    // The path follows the document: a file that fails to load does not
    // become the place where files "beside the picture" are written.
    const std::string previous = state.currentFilePath;
    state.currentFilePath = *chosen;
    if (!editor.loadDocument(*chosen, InstallKind::Open)) state.currentFilePath = previous;
}

void SaveCommand(Editor& editor) {
    EditorState& state = editor.state();
    const std::optional<std::string> chosen = editor.host().chooseSaveFile(state.currentFilePath);
    if (!chosen) return;
    state.currentFilePath = *chosen;
    editor.saveDocument(*chosen);
}

void UndoCommand(Editor& editor) {
    EditorState& state = editor.state();
    LayDownForUndo(editor);
    const bool journal = state.toolMode == tool::SelectionOutlined;
    const core::UndoStatus status = editor.undoRing().undo(editor.document(), editor.arena(), journal);
    if (status == core::UndoStatus::ReadFailed) editor.message(text::kUndoUnreadable, MessageIcon::Exclamation);
    if (status == core::UndoStatus::WriteFailed) editor.message(text::kUndoLost, MessageIcon::Exclamation);
    editor.relayout();
    editor.host().repaint(true);
    state.outlineFlags = 0;
    state.secondaryOutline = false;
    state.toolMode = state.savedTool;
}

void RedoCommand(Editor& editor) {
    const bool journal = editor.state().toolMode == tool::SelectionOutlined;
    const core::UndoStatus status = editor.undoRing().redo(editor.document(), editor.arena(), journal);
    if (status == core::UndoStatus::ReadFailed) editor.message(text::kUndoUnreadable, MessageIcon::Exclamation);
    editor.relayout();
    editor.host().repaint(true);
}

void ToggleCopyMode(Editor& editor) {
    editor.state().copyMode = !editor.state().copyMode;
}

void ShowSourceView(Editor& editor) {
    editor.relayout();
    editor.state().viewMode = CommandId::SourceView;
    editor.host().repaint(true);
}

void ShowPreview(Editor& editor) {
    editor.state().viewMode = CommandId::Preview;
    editor.host().repaint(true);
}

void SetLineWidth(Editor& editor, int pixels, CommandId item) {
    EditorState& state = editor.state();
    state.lineWidth = uint8_t(pixels);
    if (state.toolMode & tool::Pencil) state.penSize = state.lineWidth;
    state.checkedLine = item;
}

void SetEraserSize(Editor& editor, int pixels, CommandId item) {
    EditorState& state = editor.state();
    state.eraserSize = uint8_t(pixels);
    if (state.toolMode & tool::Eraser) state.penSize = state.eraserSize;
    state.checkedEraser = item;
}

void SetGrid(Editor& editor, int step, CommandId item) {
    editor.state().gridStep = uint16_t(step);
    editor.state().checkedGrid = item;
}

}  // namespace zorva::shell
