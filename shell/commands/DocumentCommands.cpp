// New, open, save, undo, redo, the two views, line width, eraser size and the snap grid.
#include "shell/commands/DocumentCommands.h"

#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/Selection.h"

namespace zorva::shell {

bool MayReplaceDocument(Editor& editor) {
    if (!editor.hasDocument() || !editor.state().unsavedChanges) return true;
    // The snapshot a command took before asking (a folder run's) changed nothing yet.
    editor.recheckChanges();
    if (!editor.state().unsavedChanges) return true;
    switch (editor.host().askSaveChanges(text::kSaveChanges, text::kCaption)) {
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            return false;
        case SaveChoice::Save:
            break;
    }
    // What is still only drawn over the picture goes into the file, as
    // "Записать" from the menu would have it.
    editor.settle();
    return SaveAs(editor);
}

namespace {

bool LoadChosenFile(Editor& editor, const std::string& path) {
    EditorState& state = editor.state();
    // The path follows the document: a file that fails to load does not
    // become the place where files "beside the picture" are written.
    const std::string previous = state.currentFilePath;
    state.currentFilePath = path;
    if (editor.loadDocument(path, InstallKind::Open)) return true;
    state.currentFilePath = previous;
    return false;
}

}  // namespace

bool OpenFile(Editor& editor, const std::string& path) {
    return MayReplaceDocument(editor) && LoadChosenFile(editor, path);
}

bool SaveAs(Editor& editor) {
    EditorState& state = editor.state();
    const std::optional<std::string> chosen = editor.host().chooseSaveFile(state.currentFilePath);
    if (!chosen) return false;
    state.currentFilePath = *chosen;
    return editor.saveDocument(*chosen);
}

void NewCommand(Editor& editor) {
    if (!MayReplaceDocument(editor)) return;
    core::BmpImage image = core::BmpImage::New();
    if (!image) {
        editor.message(text::kNoMemory);
        return;
    }
    editor.install(std::move(image), InstallKind::New);
}

void OpenCommand(Editor& editor) {
    // Asked before the dialog, as the picture on screen is what the answer is about.
    if (!MayReplaceDocument(editor)) return;
    const std::optional<std::string> chosen = editor.host().chooseOpenFile(editor.state().currentFilePath);
    if (!chosen) return;
    LoadChosenFile(editor, *chosen);
}

void SaveCommand(Editor& editor) {
    SaveAs(editor);
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
