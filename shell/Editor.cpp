// Document install, open/new/save, snapshots and the command dispatcher.
#include "shell/Editor.h"

#include "core/ImageFiles.h"
#include "shell/Messages.h"
#include "shell/commands/BarcodeCommand.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/commands/WindowCommands.h"
#include "shell/view/View.h"

namespace zorva::shell {

Editor::Editor(Host& host, std::string undoFolder) : m_host(host), m_undo(std::move(undoFolder)) {}

void Editor::loadSymbolBases(const std::string& folder) {
    for (int k = 1; k <= recognize::kSymbolBases; ++k) {
        const std::string name = recognize::BaseFileName(k);
        if (!recognize::LoadBaseFile(folder + "/" + name, recognize::kBaseCapacity[size_t(k - 1)],
                                     m_bases[size_t(k - 1)]))
            message("База символов " + name + " не загружена!");
    }
}

bool Editor::reserveArena() {
    if (m_arena.reserve()) return true;
    message(text::kNoMemory);
    return false;
}

void Editor::message(std::string_view body, MessageIcon icon) {
    m_host.message(body, text::kCaption, icon);
}

void Editor::setStatus(int field, std::string_view body) {
    if (field < 0 || field >= kStatusFields) return;
    m_state.status[size_t(field)] = body;
    m_host.statusChanged(field, body);
}

void Editor::showElapsed(uint32_t startMs) {
    const uint32_t elapsed = m_host.clockMs() - startMs;
    setStatus(11, std::string(text::kElapsedPrefix) + std::to_string(int32_t(elapsed)));
}

// ---- documents ----

void Editor::install(core::BmpImage image, InstallKind kind) {
    m_document = std::move(image);
    m_arena.carve(m_document.view());
    m_undo.empty();
    m_segments.reset();
    m_state.segment.segmentsReady = false;
    m_state.toolMode = tool::None;
    m_state.viewMode = kind == InstallKind::New ? CommandId::SourceView : CommandId::Preview;
    if (kind != InstallKind::Navigate) {
        // Open and New recreate the palette (every button released) and the
        // status bar: labels set, everything else cleared.
        m_state.palette.chosenPressed = false;
        m_state.palette.hovered = 0;
        for (int f = 0; f < kStatusFields; ++f) setStatus(f, "");
        setStatus(0, text::kFieldCoordinates);
        setStatus(3, text::kFieldSegment);
        setStatus(5, text::kFieldColour);
        setStatus(7, text::kFieldArea);
    }
    relayout();
    m_host.repaint(true);
}

bool Editor::loadDocument(const std::string& path, InstallKind kind) {
    if (!m_arena.reserved()) return false;
    DecodeResult decoded = m_host.decode(path);
    if (decoded.status == DecodeStatus::TooLarge) {
        message(text::kTooLarge);
        return false;
    }
    if (decoded.status != DecodeStatus::Ok || !decoded.image) {
        message(text::kCannotLoad);
        return false;
    }
    install(std::move(decoded.image), kind);
    return true;
}

bool Editor::saveDocument(const std::string& path) {
    if (!hasDocument()) return false;
    m_host.setBusy(true);
    const bool ok = core::WriteImageFile(path, document());
    m_host.setBusy(false);
    if (!ok) message(text::kCannotWrite, MessageIcon::Exclamation);
    return ok;
}

void Editor::openCommand() {
    const std::optional<std::string> chosen = m_host.chooseOpenFile(m_state.currentFilePath);
    if (!chosen) return;
    // The path follows the document: a file that fails to load does not
    // become the place where files "beside the picture" are written.
    const std::string previous = m_state.currentFilePath;
    m_state.currentFilePath = *chosen;
    if (!loadDocument(*chosen, InstallKind::Open)) m_state.currentFilePath = previous;
}

void Editor::newCommand() {
    core::BmpImage image = core::BmpImage::New();
    if (!image) {
        message(text::kNoMemory);
        return;
    }
    install(std::move(image), InstallKind::New);
}

void Editor::saveCommand() {
    const std::optional<std::string> chosen = m_host.chooseSaveFile(m_state.currentFilePath);
    if (!chosen) return;
    m_state.currentFilePath = *chosen;
    saveDocument(*chosen);
}

// ---- undo ----

void Editor::takeSnapshot() {
    if (!hasDocument()) return;
    uint16_t& mode = m_state.toolMode;
    // A selection on the picture keeps its changes in the journal; its
    // snapshot was taken when it began.
    if (mode == tool::SelectionOutlined || mode == tool::SelectionFinished) return;
    m_state.savedTool = mode;
    m_state.outlineFlags = 0;
    m_state.secondaryOutline = false;
    const core::UndoStatus status = m_undo.snapshot(document(), m_arena, mode);
    core::FillWhite(m_arena.writeMask(), m_arena.imageBlockSize());
    if ((mode & tool::SelectionBit) && !(mode & tool::Pencil)) m_state.outlineFlags |= 0x10;
    mode |= tool::ActionUnderWay;
    if (status == core::UndoStatus::WriteFailed) message(text::kUndoLost, MessageIcon::Exclamation);
}

void Editor::undoCommand() {
    const bool journal = m_state.toolMode == tool::SelectionFinished;
    const core::UndoStatus status = m_undo.undo(document(), m_arena, journal);
    if (status == core::UndoStatus::ReadFailed) message(text::kUndoUnreadable, MessageIcon::Exclamation);
    if (status == core::UndoStatus::WriteFailed) message(text::kUndoLost, MessageIcon::Exclamation);
    relayout();
    m_host.repaint(true);
    m_state.outlineFlags = 0;
    m_state.secondaryOutline = false;
    m_state.toolMode = m_state.savedTool;
}

void Editor::redoCommand() {
    const bool journal = m_state.toolMode == tool::SelectionFinished;
    const core::UndoStatus status = m_undo.redo(document(), m_arena, journal);
    if (status == core::UndoStatus::ReadFailed) message(text::kUndoUnreadable, MessageIcon::Exclamation);
    relayout();
    m_host.repaint(true);
}

// ---- dispatch ----

namespace {

using Operation = void (*)(Editor&);

// The operation behind each command row of the operation families; the rows
// whose operations have not arrived yet have none.
Operation CommandOperation(CommandId id) {
    switch (id) {
        case CommandId::Barcode:
            return RunBarcodeCommand;
        case CommandId::Palette:
            return RunPaletteCommand;
        case CommandId::Segment8:
            return RunSegmentEightCommand;
        case CommandId::SegmentMedianCut:
            return RunSegmentMedianCutCommand;
        case CommandId::SvgExport:
            return RunSvgExportCommand;
        case CommandId::SegmentSelect:
            return EnterSegmentSelection;
        default:
            return nullptr;
    }
}

}  // namespace

void Editor::runCommand(const CommandInfo& info, void (*operation)(Editor&)) {
    const bool effect = info.marks & mark::Snapshot;
    if (effect) takeSnapshot();
    operation(*this);
    if (info.marks & mark::ReleaseButton) m_state.palette.chosenPressed = false;
    if (info.marks & mark::ToolOff) m_state.toolMode = tool::None;
    if (effect) m_host.repaint(true);
}

void Editor::relayout() {
    ViewLayout& layout = m_state.layout;
    if (!hasDocument()) {
        layout.horizontal.present = false;
        layout.vertical.present = false;
        return;
    }
    layout = ComputeLayout(m_state.clientWidth, m_state.clientHeight, m_state.zoomIndex, document().width(),
                           document().height(), layout);
}

void Editor::dispatch(CommandId id) {
    const CommandInfo* info = FindCommand(ToInt(id));
    if (!info) return;
    // Shortcuts and stray calls act only as the menu would let them.
    if ((info->marks & mark::NeedsDocument) && !hasDocument()) return;
    if ((info->marks & mark::NeedsSegments) && !(hasDocument() && m_state.segment.segmentsReady)) return;

    switch (id) {
        case CommandId::New:
            newCommand();
            return;
        case CommandId::Open:
            openCommand();
            return;
        case CommandId::Save:
            saveCommand();
            return;
        case CommandId::Undo:
            undoCommand();
            return;
        case CommandId::Redo:
            redoCommand();
            return;
        case CommandId::CopyMode:
            m_state.copyMode = !m_state.copyMode;
            return;
        case CommandId::SourceView:
            relayout();
            setView(CommandId::SourceView);
            return;
        case CommandId::Preview:
            setView(CommandId::Preview);
            return;
        case CommandId::Line1:
        case CommandId::Line2:
        case CommandId::Line3:
        case CommandId::Line4:
            m_state.lineWidth = uint8_t(ToInt(id) - ToInt(CommandId::Line1) + 1);
            if (m_state.toolMode & tool::Pencil) m_state.penSize = m_state.lineWidth;
            m_state.checkedLine = id;
            return;
        case CommandId::EraserSmall:
        case CommandId::EraserMedium:
        case CommandId::EraserLarge:
            m_state.eraserSize = uint8_t(4 + 2 * (ToInt(id) - ToInt(CommandId::EraserSmall)));
            if (m_state.toolMode & tool::Eraser) m_state.penSize = m_state.eraserSize;
            m_state.checkedEraser = id;
            return;
        case CommandId::GridOff:
        case CommandId::Grid4:
        case CommandId::Grid8:
        case CommandId::Grid16:
        case CommandId::Grid32:
        case CommandId::Grid64: {
            const int k = ToInt(id) - ToInt(CommandId::GridOff);
            m_state.gridStep = k == 0 ? 0 : uint16_t(2u << k);
            m_state.checkedGrid = id;
            return;
        }
        default:
            break;
    }
    if (const Operation operation = CommandOperation(id)) {
        runCommand(*info, operation);
        return;
    }
    // An effect whose operation has not arrived yet: recognised, nothing done.
    if (info->marks & mark::Snapshot) return;
    RunWindowCommand(*this, id);
}

void Editor::setView(CommandId view) {
    m_state.viewMode = view;
    m_host.repaint(true);
}

}  // namespace zorva::shell
