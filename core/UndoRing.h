// The 16-slot ring of snapshot files and the PixelJournal of single-pixel changes.
#pragma once

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/BmpImage.h"
#include "core/WorkArena.h"

namespace zorva::core {

inline constexpr int kUndoSlots = 16;
inline constexpr uint32_t kJournalRecord = 8;
inline constexpr uint32_t kJournalHeaderMarker = 0x8F291955;

// Outcome of a snapshot, undo or redo. Failures leave the document exactly
// as it was; the caller tells the user.
enum class UndoStatus {
    Done,
    NothingToDo,  // no step in that direction
    WriteFailed,  // a snapshot file could not be written whole
    ReadFailed,   // a snapshot file could not be read back whole
};

// The folder of this running copy's snapshot files, held for the copy's
// whole run. Two copies of the program never share snapshot files: the first
// takes the folder (the program's folder when files can be created there and
// it is not an installed copy's (core::IsInstalledProgramFolder: /usr/bin is
// never written), else the user's cache folder ~/.cache/zorva (or
// $XDG_CACHE_HOME/zorva), else a private folder made
// with mode 0700 under the temporary folder) by locking "$$$grVX.lock" in
// it; a copy that finds it locked works in a subfolder "$$$grVX.<pid>" of
// its own, locked the same way. Subfolders left by copies that ended are
// removed when the next copy starts (making, locking and removing
// subfolders happen under "$$$grVX.claim" of the shared folder, so a folder
// just made is never taken for one left behind); a copy removes its own subfolder or
// private folder (and the snapshot files in it) when it ends. Never the
// working folder.
class UndoFolder {
public:
    // `programFolder` may be empty (not known).
    static UndoFolder Claim(const std::string& programFolder);
    UndoFolder() = default;
    UndoFolder(UndoFolder&& other) noexcept;
    UndoFolder& operator=(UndoFolder&& other) noexcept;
    UndoFolder(const UndoFolder&) = delete;
    UndoFolder& operator=(const UndoFolder&) = delete;
    ~UndoFolder();

    // Empty when no folder could be had (snapshots then fail and say so).
    const std::string& path() const { return m_path; }

private:
    void release();

    std::string m_path;
    std::string m_base;    // the folder holding m_path when it is a subfolder of a shared one
    int m_lock = -1;       // the open, locked "$$$grVX.lock"
    bool m_owned = false;  // a folder made for this copy alone
};

class UndoRing {
public:
    explicit UndoRing(std::string folder = {}) : m_folder(std::move(folder)) {}

    void setFolder(std::string folder) { m_folder = std::move(folder); }
    // A ring for a run that never undoes (a script without undo or redo)
    // writes no snapshot files: each snapshot still marks where its action
    // begins in the journal, so selections and rollbacks work as ever, and
    // whole-picture undo and redo find no step.
    void setWritesFiles(bool writes) { m_writesFiles = writes; }
    const std::string& folder() const { return m_folder; }
    // "<folder>/$$$grVX<hex digit>.bmp"
    std::string slotPath(int slot) const;

    // All slots empty, index 0: at every document install.
    void empty();

    // Records the journal header of a new action and writes the document's
    // first ImageBlockSize bytes to the file of the current slot. `toolMode`
    // goes into the header's first word (only its 0x20 bit). A file that
    // could not be written takes no step: the index stays, so every earlier
    // step stays reachable, and undo never brings back a stale picture.
    UndoStatus snapshot(BmpView document, WorkArena& arena, uint16_t toolMode);

    // File undo: saves the current picture for redo, then reads the previous
    // one. Journal undo (`journal` true, a finished selection on the
    // picture): restores the pixels recorded since the selection began,
    // newest first, and keeps the index.
    UndoStatus undo(MutableBmpView document, WorkArena& arena, bool journal);
    UndoStatus redo(MutableBmpView document, WorkArena& arena, bool journal);

    // Restores every pixel recorded since the current action began and
    // rewinds the journal to just after its header.
    void rollBack(MutableBmpView document, WorkArena& arena);

    // The outline of a selection drawn again after a journal undo took it
    // away: each pixel the action recorded (from its snapshot's header to the
    // end that journal undo stored) inverted by XOR 0x80. The index stays.
    void replayAction(MutableBmpView document, WorkArena& arena);
    // ActionStart moves to the last record written: later rollbacks keep
    // what was drawn so far (the polygon tools' finished edges).
    void keepActionSoFar(const WorkArena& arena);
    // The journal write position goes back to just after the header of the
    // last snapshot: a dropped selection's records are given up.
    void rewindToAction(WorkArena& arena);

    // Appends one pixel record: byte offset in the document and the 4 bytes
    // found there before the change. The ring holds 1,048,576 records; a
    // longer action wraps over its oldest ones, which a stroke of the pen
    // never reads again. `kept`: the record will be walked back (an outline
    // is always taken away again), so it never wraps over the action's
    // header; when the ring is that full nothing is recorded, false is
    // returned, and the caller leaves the pixel as it is.
    static bool Record(WorkArena& arena, uint32_t offset, uint32_t oldBytes, bool kept = false);

    int index() const { return m_index; }
    std::optional<uint32_t> slot(int d) const { return m_slots[size_t(d)]; }
    uint32_t actionStart() const { return m_actionStart; }

private:
    bool writeSlotFile(int slot, BmpView document, uint32_t size);
    bool readSlotFile(int slot, uint32_t size);

    std::string m_folder;
    bool m_writesFiles = true;
    std::array<std::optional<uint32_t>, kUndoSlots> m_slots{};
    // Whether the file of a slot was written whole since the last install.
    std::array<bool, kUndoSlots> m_fileValid{};
    // The file each slot's write left: a file replaced since (by anyone
    // else) is not this ring's and is never read back.
    struct FileStamp {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modified = 0;  // nanoseconds
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    std::array<FileStamp, kUndoSlots> m_stamp{};
    static FileStamp StampOf(const struct stat& st);
    // Whether a journal undo stored the end position in the slot's header.
    std::array<bool, kUndoSlots> m_journalEndSet{};
    int m_index = 0;
    uint32_t m_actionStart = 0;
    BmpImage m_scratch;  // a read lands here first, so a short read changes nothing
};

}  // namespace zorva::core
