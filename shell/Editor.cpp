// Document install, open/new/save, snapshots and the command dispatcher.
#include "shell/Editor.h"

#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "core/ImageFiles.h"
#include "core/InstallLayout.h"
#include "shell/Messages.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/Selection.h"
#include "shell/dialogs/DialogCommand.h"
#include "shell/input/Input.h"
#include "shell/input/Tools.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {

// A 64-bit fingerprint of the picture's file bytes (header and rows): four
// independent multiply-rotate lanes over 8-byte words, so the pass runs at
// memory speed; a 12-megapixel picture takes a few milliseconds, far less
// than the snapshot file every command that changes pixels writes. Tells
// whether undo came back to the saved picture, never used for anything a
// collision (odds 2^-64) could harm beyond one missing question.
uint64_t Fingerprint(core::BmpView picture) {
    const uint8_t* bytes = picture.data();
    const size_t size = picture.fileSize();
    constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;  // the 64-bit golden-ratio and xxHash primes
    constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
    uint64_t lane[4] = {kPrime1, kPrime2, kPrime1 ^ kPrime2, size};
    auto mix = [](uint64_t h, uint64_t w) { return std::rotl(h ^ (w * kPrime2), 31) * kPrime1; };
    size_t i = 0;
    for (; i + 32 <= size; i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, bytes + i + 8 * size_t(k), 8);
            lane[k] = mix(lane[k], w);
        }
    uint64_t tail = 0;
    for (size_t j = i; j < size; ++j) tail = tail << 8 | bytes[j];
    uint64_t h = mix(lane[0], tail);
    for (int k = 1; k < 4; ++k) h = mix(h, lane[k]);
    return h ^ (h >> 29);
}

}  // namespace

Editor::Editor(Host& host, std::string undoFolder) : m_host(host), m_undo(std::move(undoFolder)) {}

void Editor::loadSymbolBases(const std::string& folder, uint8_t which) {
    for (int k = 1; k <= recognize::kSymbolBases; ++k) {
        if (!(which & (1u << (k - 1)))) continue;
        const std::string name = recognize::BaseFileName(k);
        const uint32_t capacity = recognize::kBaseCapacity[size_t(k - 1)];
        const std::optional<std::vector<uint8_t>> bytes = core::ReadWholeFile(
            folder.empty() ? name : folder + "/" + name, size_t(capacity) * recognize::kSymbolRecordSize);
        m_bases[size_t(k - 1)] = bytes ? recognize::ParseBase(*bytes, capacity) : recognize::SymbolBase{};
        m_baseLoaded[size_t(k - 1)] = bool(bytes);
        if (!bytes) message("База символов " + name + " не загружена!");
    }
}

std::string SymbolBaseFolder(const std::string& programFolder) {
    std::vector<std::string> names;
    for (int k = 1; k <= recognize::kSymbolBases; ++k) names.push_back(recognize::BaseFileName(k));
    return core::DataFolder(programFolder, names);
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
    if (field < 0 || field >= status::kFieldCount) return;
    m_state.statusText[size_t(field)] = body;
    m_host.statusChanged(field, body);
}

void Editor::showElapsed(uint32_t startMs) {
    const uint32_t elapsed = m_host.clockMs() - startMs;
    setStatus(status::Elapsed, std::string(text::kElapsedPrefix) + std::to_string(int32_t(elapsed)));
}

// ---- documents ----

void Editor::install(core::BmpImage image, InstallKind kind) {
    // Snapshots, undo and redo move ImageBlockSize bytes, and a quarter turn
    // may need them all: the block must hold them (a picture handed over in
    // a block of its bare file size moves into one that does).
    const size_t blockSize = core::LayoutFor(image.view().width(), image.view().height()).imageBlockSize;
    if (image.capacity() < blockSize) {
        core::BmpImage roomy = core::BmpImage::Allocate(blockSize);
        if (!roomy) {
            message(text::kNoMemory);
            return;
        }
        std::memcpy(roomy.data(), image.data(), image.capacity());
        image = std::move(roomy);
    }
    m_document = std::move(image);
    m_savedFingerprint.reset();
    m_state.unsavedChanges = false;
    // A new picture has no file yet; loadDocument names the one it read.
    m_state.documentPath.clear();
    m_arena.carve(m_document.view());
    m_undo.empty();
    m_segments.reset();
    m_state.toolMode = tool::None;
    // Strokes, rectangles and selections belonged to the picture that went.
    m_state.stroke = StrokeState{};
    m_state.selection = SelectionState{};
    m_state.viewMode = kind == InstallKind::New ? CommandId::SourceView : CommandId::Preview;
    if (kind != InstallKind::Navigate) {
        // Open and New recreate the palette (every button released) and the
        // status bar: labels set, everything else cleared.
        m_state.palette.chosenPressed = false;
        m_state.palette.hovered = 0;
        for (int f = 0; f < status::kFieldCount; ++f) setStatus(f, "");
        setStatus(status::CoordinatesLabel, text::kFieldCoordinates);
        setStatus(status::SegmentLabel, text::kFieldSegment);
        setStatus(status::ColourLabel, text::kFieldColour);
        setStatus(status::AreaLabel, text::kFieldArea);
    }
    relayout();
    m_host.repaint(true);
    refreshTitle();
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
    m_state.documentPath = path;
    refreshTitle();
    if (kind == InstallKind::Open) m_host.rememberFile(path);
    return true;
}

bool Editor::saveDocument(const std::string& path) {
    if (!hasDocument()) return false;
    m_host.setBusy(true);
    // The name says the format: a picture saved as "photo.png" is a PNG file.
    const core::SaveFormat format = core::SaveFormatFor(path);
    bool ok = false;
    if (format == core::SaveFormat::Bmp) {
        ok = core::WriteImageFile(path, document());
    } else if (const std::optional<std::vector<uint8_t>> bytes = m_host.encode(document(), format)) {
        ok = core::WriteWholeFile(path, bytes->data(), bytes->size());
    }
    m_host.setBusy(false);
    if (!ok) {
        m_host.fileNotWritten(path);
        message(text::kCannotWrite, MessageIcon::Exclamation);
        return false;
    }
    // What is in memory is what the file holds now (for a lossy format,
    // what it was made from): nothing left to ask about.
    m_savedFingerprint = Fingerprint(document());
    m_state.unsavedChanges = false;
    m_state.documentPath = path;
    refreshTitle();
    m_host.rememberFile(path);
    return true;
}

bool Editor::writeFile(const std::string& path, std::string_view bytes) {
    const bool isPicture = core::SameFile(path, m_state.currentFilePath);
    if (!isPicture && core::WriteWholeFile(path, bytes)) return true;
    m_refusedPicture = m_refusedPicture || isPicture;
    m_host.fileNotWritten(path);
    return false;
}

std::string_view Editor::writeFailure() {
    const bool refused = std::exchange(m_refusedPicture, false);
    return refused ? text::kOutputIsPicture : text::kCannotWrite;
}

// ---- undo ----

void Editor::takeSnapshot() {
    if (!hasDocument()) return;
    // The command that takes it is about to change the picture. Every
    // command that changes pixels takes a snapshot first, so the picture as
    // installed is still there to be fingerprinted.
    if (!m_savedFingerprint) m_savedFingerprint = Fingerprint(document());
    ++m_snapshots;
    if (!m_state.unsavedChanges) {
        m_state.unsavedChanges = true;
        refreshTitle();
    }
    uint16_t& mode = m_state.toolMode;
    // A selection on the picture keeps its changes in the journal; its
    // snapshot was taken when it began.
    if (mode == tool::SelectionFloating || mode == tool::SelectionOutlined) return;
    m_state.savedTool = mode;
    m_state.outlineFlags = 0;
    m_state.secondaryOutline = false;
    const core::UndoStatus status = m_undo.snapshot(document(), m_arena, mode);
    // The selection mask: the picture's shape, all white.
    const core::MutableBmpView mask = m_arena.writeMask();
    std::memcpy(mask.data(), document().data(), core::kHeaderSize);
    core::FillWhite(mask, m_arena.imageBlockSize());
    if ((mode & tool::SelectionBit) && !(mode & tool::Pencil)) m_state.outlineFlags |= EditorState::kPrimaryOutline;
    if (status == core::UndoStatus::WriteFailed) message(text::kUndoLost, MessageIcon::Exclamation);
}

void Editor::beginStroke() {
    takeSnapshot();
    StrokeState& stroke = m_state.stroke;
    stroke.pen.forget();
    stroke.start = stroke.corner = stroke.pen.previous = pointerPoint();
    stroke.buttonHeld = true;
    m_state.toolMode |= tool::ActionUnderWay;
}

edit::Point Editor::pointerPoint() const {
    return {m_state.pointer.column(), m_state.pointer.pointerY};
}

edit::Canvas Editor::canvas(edit::Ink ink) {
    edit::Canvas c;
    c.image = document();
    if (ink == edit::Ink::FinalOutline) c.mask = m_arena.writeMask();
    c.journal = &m_arena;
    c.ink = ink;
    c.colour = uint32_t(m_state.drawRed) << 16 | uint32_t(m_state.drawGreen) << 8 | m_state.drawBlue;
    return c;
}

// ---- title and changes ----

std::string Editor::windowTitle() const {
    if (!hasDocument()) return std::string(text::kCaption);
    const std::string& path = m_state.documentPath;
    const size_t slash = path.rfind('/');
    std::string title = m_state.unsavedChanges ? std::string(text::kUnsavedMark) : std::string();
    title += path.empty() ? std::string(text::kUntitled) : path.substr(slash == std::string::npos ? 0 : slash + 1);
    title += text::kTitleSuffix;
    return title;
}

void Editor::refreshTitle() {
    std::string title = windowTitle();
    if (title == m_title) return;
    m_title = std::move(title);
    m_host.titleChanged(m_title);
}

void Editor::recheckChanges() {
    if (!hasDocument()) return;
    // No snapshot since the picture came: it is the picture installed.
    m_state.unsavedChanges = m_savedFingerprint && Fingerprint(document()) != *m_savedFingerprint;
    refreshTitle();
}

// ---- dispatch ----

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

void Editor::settle(bool keepSelection, bool keepRectangle) {
    if (!keepRectangle) CommitRectangle(*this);
    if (!keepSelection) EndSelection(*this);
}

void Editor::dispatch(CommandId id) {
    const CommandInfo* info = FindCommand(ToInt(id));
    // Shortcuts and stray calls act only as the menu would let them.
    if (!info || !IsEnabled(*this, id)) return;
    if (!info->run && !info->dialog) return;
    // An editable rectangle is still an XOR outline and a selection still
    // carries one: both are settled before a command reads the picture.
    settle(info->marks & mark::OnSelection, info->marks & mark::SettingOnly);
    const bool snapshot = info->marks & mark::Snapshot;
    const uint64_t snapshotsBefore = m_snapshots;
    if (snapshot) takeSnapshot();
    if (info->dialog)
        RunDialogCommand(*this, *info->dialog);
    else
        info->run(*this);
    if (info->marks & mark::ReleaseButton) m_state.palette.chosenPressed = false;
    if (info->marks & mark::ToolOff) m_state.toolMode = tool::None;
    if (snapshot) m_host.repaint(true);
    // A step back or forward, a cancelled dialog or an effect undone by its
    // twin may have brought back the saved picture.
    if (m_snapshots != snapshotsBefore || id == CommandId::Undo || id == CommandId::Redo) recheckChanges();
}

}  // namespace zorva::shell
