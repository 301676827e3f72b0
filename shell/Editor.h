// The editor: state, document, work arena and undo ring behind one command dispatcher.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/BmpImage.h"
#include "core/UndoRing.h"
#include "core/WorkArena.h"
#include "edit/Drawing.h"
#include "edit/FloodFill.h"
#include "recognize/SymbolBase.h"
#include "segment/SegmentStore.h"
#include "shell/EditorState.h"
#include "shell/Host.h"
#include "shell/commands/CommandId.h"

namespace zorva::shell {

// How a new document arrives; each sets the view and the palette differently.
enum class InstallKind { Open, New, Navigate };

class Editor {
public:
    // `undoFolder` holds the snapshot files (the folder core::UndoFolder
    // claimed for this copy of the program).
    Editor(Host& host, std::string undoFolder);

    // Start-up: loads "BazaDan1.zdb" .. "BazaDan3.zdb" from `folder`
    // (SymbolBaseFolder of the program's folder; those
    // whose bit 1 << (k - 1) is set in `which`); each base that cannot be
    // loaded is reported and left empty, and start-up goes on.
    void loadSymbolBases(const std::string& folder, uint8_t which = 0x7);
    const recognize::SymbolBases& symbolBases() const { return m_bases; }
    // Whether base k (1..3) was read from its file.
    bool baseLoaded(int k) const { return k >= 1 && k <= recognize::kSymbolBases && m_baseLoaded[size_t(k - 1)]; }

    // Start-up: reserves the work arena. On failure the message is shown and
    // false returned; the caller must end the program.
    bool reserveArena();

    Host& host() { return m_host; }
    EditorState& state() { return m_state; }
    const EditorState& state() const { return m_state; }
    core::WorkArena& arena() { return m_arena; }
    const core::WorkArena& arena() const { return m_arena; }
    core::UndoRing& undoRing() { return m_undo; }
    // The current segmentation: map, tables, palettes and VectorData.
    segment::SegmentStore& segments() { return m_segments; }
    const segment::SegmentStore& segments() const { return m_segments; }
    bool hasDocument() const { return bool(m_document); }
    // A segmentation of the document is present: its map and table are
    // intact in the arena (nothing written over them since) and fit the
    // picture. The segment commands work on it.
    bool segmentationPresent() const { return hasDocument() && m_segments.matches(m_arena, m_document.view()); }
    core::MutableBmpView document() const { return m_document.view(); }

    // Runs one command to completion: the one implementation behind menus,
    // keys, the context menu, zorva-cli and the tests. A command the menu
    // would grey does nothing; ids of commands that do nothing yet are
    // recognised and ignored. Around the row's operation (or its dialog):
    // the snapshot of S rows first, the B and M0 steps and the repaint of S
    // rows afterwards.
    void dispatch(CommandId id);

    // Decodes `path` and installs it (Open, navigation, batch runs). On
    // failure shows the message and keeps the current document.
    bool loadDocument(const std::string& path, InstallKind kind);
    // Makes `image` the document: carves the arena, empties the undo ring,
    // resets tool and segment state.
    void install(core::BmpImage image, InstallKind kind);
    // Writes the document to `path` in the format its name says (the 24-bit
    // BMP unless it ends in .png, .jpg, .tif or .webp); shows "Нельзя
    // записать файл" on failure, the old file left as it was.
    bool saveDocument(const std::string& path);
    // Writes a file the user asked for (SVG, report, base) through the one
    // whole-file writer; a failure is passed to the host with the file's path
    // and the caller shows writeFailure(). A path that names the open
    // picture's own file is refused: the picture is never replaced by a
    // report.
    bool writeFile(const std::string& path, std::string_view bytes);
    // The message for the files writeFile did not write since the last
    // call: the refusal when one of them was the picture itself.
    std::string_view writeFailure();
    // Settles what is still only drawn over the picture, as every command
    // that reads the picture does first: an editable rectangle is committed,
    // a selection ends (dropped, or its outline removed). `keepSelection`:
    // the command acts on the selection; `keepRectangle`: it only changes a
    // setting. A script saving its result settles both.
    void settle(bool keepSelection = false, bool keepRectangle = false);

    // The undo snapshot every pixel-changing command takes first (nothing
    // while a selection is outlined or floating: its snapshot was taken when
    // it began). ToolMode keeps its "action under way" bit as it was: a
    // command leaves the current tool as it found it; only a stroke of a
    // drawing or selection tool sets the bit, and its release clears it.
    void takeSnapshot();
    // A stroke of a drawing or selection tool begins at the pointer: the
    // snapshot, the pen's memory forgotten, the start and corner points at
    // the pointer, and ToolMode's "action under way" bit until the release.
    void beginStroke();
    // The pointer in picture coordinates (PointerX without its flag bit).
    edit::Point pointerPoint() const;
    // Where the tools draw: the document, the selection mask for final
    // outlines, the journal, the drawing colour.
    edit::Canvas canvas(edit::Ink ink);
    // The flood fill's working memory, kept for the run.
    edit::FillScratch& fillScratch() { return m_fill; }

    // Writes status-bar field 0..11 (kept in the state and shown by the host).
    void setStatus(int field, std::string_view text);
    // Field 11: "T(ms)=" and the milliseconds since `startMs`.
    void showElapsed(uint32_t startMs);
    void message(std::string_view text, MessageIcon icon = MessageIcon::None);

    // The window's title: "zorva" without a document, else the picture's
    // file name (or "Без имени") and " — Zorva", marked "*" while it has
    // unsaved changes.
    std::string windowTitle() const;
    // Compares the picture with the one last opened, created or saved:
    // unsavedChanges says whether they differ (undo back to it clears it,
    // undo to before a save sets it).
    void recheckChanges();

    // Recomputes the view layout (scroll bars, view size) for the current
    // document and client size.
    void relayout();

private:
    Host& m_host;
    EditorState m_state;
    core::WorkArena m_arena;
    core::UndoRing m_undo;
    core::BmpImage m_document;
    segment::SegmentStore m_segments;
    recognize::SymbolBases m_bases;
    std::array<bool, recognize::kSymbolBases> m_baseLoaded{};
    // Tells the host when the title text changed.
    void refreshTitle();
    // The document as it was installed or last saved, and the snapshots
    // taken so far (a command that took one may have changed the pixels).
    // Empty while the picture is as installed: the pass over every pixel
    // waits for the first snapshot, so that an opened picture shows sooner.
    std::optional<uint64_t> m_savedFingerprint;
    uint64_t m_snapshots = 0;
    std::string m_title;
    bool m_refusedPicture = false;  // a write refused since the last writeFailure() named the picture
    edit::FillScratch m_fill;
};

// The folder the symbol bases are read from: the program's folder when a
// base file sits there (a build tree, or bases the user put beside the
// executable), else the installed data folder ../share/zorva when one sits
// there (the package's /usr/share/zorva), else the program's folder, where
// start-up then reports each base missing.
std::string SymbolBaseFolder(const std::string& programFolder);

}  // namespace zorva::shell
