// Snapshot files, whole-image undo and redo, and the pixel journal's walks.
#include "core/UndoRing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/ImageFiles.h"

namespace zorva::core {

namespace {

constexpr uint32_t kJournalMask = uint32_t(kJournalSize) - 1;

uint32_t Back(uint32_t pos) {
    return (pos - kJournalRecord) & kJournalMask;
}
uint32_t Forward(uint32_t pos) {
    return (pos + kJournalRecord) & kJournalMask;
}

// Puts back the three saved bytes of one journal record.
void Restore(MutableBmpView document, const uint8_t* record) {
    const uint32_t offset = Load32(record);
    const uint32_t saved = Load32(record + 4);
    StorePixel(document.data() + offset, saved);
}

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
    const std::string probe = folder + "/.zorva-probe-" + std::to_string(getpid());
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace

std::string ChooseUndoFolder(const std::string& programFolder) {
    if (CanCreateFileIn(programFolder)) return programFolder;
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        cache = std::string(home) + "/.cache";
    else
        cache = "/tmp";
    const std::string folder = cache + "/zorva";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::string UndoRing::slotPath(int slot) const {
    static const char kHex[] = "0123456789ABCDEF";
    std::string path = m_folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "$$$grVX";
    path += kHex[slot & 15];
    path += ".bmp";
    return path;
}

void UndoRing::empty() {
    m_slots.fill(std::nullopt);
    m_fileValid.fill(false);
    m_journalEndSet.fill(false);
    m_index = 0;
    m_actionStart = 0;
}

bool UndoRing::writeSlotFile(int slot, BmpView document, uint32_t size) {
    return WriteWholeFile(slotPath(slot), document.data(), size);
}

bool UndoRing::readSlotFile(int slot, uint32_t size) {
    if (m_scratch.capacity() < size) {
        m_scratch = BmpImage::Allocate(size);
        if (!m_scratch) return false;
    }
    const int fd = open(slotPath(slot).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && st.st_size == off_t(size);
    uint8_t* p = m_scratch.data();
    size_t left = ok ? size : 0;
    while (left > 0) {
        const ssize_t n = read(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        left -= size_t(n);
    }
    close(fd);
    // The file must still be a picture of this document's size: a stale or
    // foreign file never reaches the document.
    return ok && left == 0 && BmpView(m_scratch.data()).fileSize() <= size;
}

UndoStatus UndoRing::snapshot(BmpView document, WorkArena& arena, uint16_t toolMode) {
    const int i = m_index;
    const uint32_t pos = arena.journalWrite;
    m_slots[size_t(i)] = pos;
    m_actionStart = pos;
    const int next = (i + 1) % kUndoSlots;
    m_slots[size_t(next)] = std::nullopt;
    m_journalEndSet[size_t(i)] = false;

    uint8_t* header = arena.journal() + pos;
    Store32(header, toolMode & 0x20u);
    Store32(header + 4, kJournalHeaderMarker);
    arena.journalWrite = Forward(pos);
    m_index = next;

    const bool written = writeSlotFile(i, document, arena.imageBlockSize());
    m_fileValid[size_t(i)] = written;
    if (!written) {
        m_slots[size_t(i)] = std::nullopt;
        return UndoStatus::WriteFailed;
    }
    return UndoStatus::Done;
}

UndoStatus UndoRing::undo(MutableBmpView document, WorkArena& arena, bool journal) {
    const int q = (m_index + kUndoSlots - 1) % kUndoSlots;
    if (!m_slots[size_t(q)]) return UndoStatus::NothingToDo;
    const uint32_t start = *m_slots[size_t(q)];

    if (journal) {
        const uint32_t end = arena.journalWrite;
        Store32(arena.journal() + start, end);
        m_journalEndSet[size_t(q)] = true;
        const uint32_t stop = Forward(start);
        for (uint32_t pos = end; pos != stop;) {
            pos = Back(pos);
            Restore(document, arena.journal() + pos);
        }
        return UndoStatus::Done;
    }

    if (!m_fileValid[size_t(q)] || !readSlotFile(q, arena.imageBlockSize())) return UndoStatus::ReadFailed;
    // Keep the current picture so that redo can bring it back.
    const bool saved = writeSlotFile(m_index, document, arena.imageBlockSize());
    m_fileValid[size_t(m_index)] = saved;
    m_index = q;
    arena.journalWrite = start;
    std::memcpy(document.data(), m_scratch.data(), arena.imageBlockSize());
    return saved ? UndoStatus::Done : UndoStatus::WriteFailed;
}

UndoStatus UndoRing::redo(MutableBmpView document, WorkArena& arena, bool journal) {
    const int i = m_index;
    if (!m_slots[size_t(i)]) return UndoStatus::NothingToDo;
    const uint32_t header = *m_slots[size_t(i)];
    const int next = (i + 1) % kUndoSlots;

    if (journal) {
        // Only a header whose end a journal undo stored can be walked: a
        // fresh header holds a tool bit, not a position, and the walk from
        // it would never meet its end.
        if (!m_journalEndSet[size_t(i)]) return UndoStatus::NothingToDo;
        m_index = next;
        const uint32_t end = Load32(arena.journal() + header) & kJournalMask;
        if (end == header || end == Forward(header)) return UndoStatus::Done;
        for (uint32_t pos = Forward(header); pos != end; pos = Forward(pos)) {
            const uint8_t* record = arena.journal() + pos;
            uint8_t* pixel = document.data() + Load32(record);
            pixel[0] ^= 0x80;
            pixel[1] ^= 0x80;
            pixel[2] ^= 0x80;
        }
        arena.journalWrite = end;
        return UndoStatus::Done;
    }

    if (!m_fileValid[size_t(next)] || !readSlotFile(next, arena.imageBlockSize())) return UndoStatus::ReadFailed;
    m_index = next;
    arena.journalWrite = header;
    std::memcpy(document.data(), m_scratch.data(), arena.imageBlockSize());
    return UndoStatus::Done;
}

void UndoRing::rollBack(MutableBmpView document, WorkArena& arena) {
    const uint32_t stop = Forward(m_actionStart);
    for (uint32_t pos = arena.journalWrite; pos != stop;) {
        pos = Back(pos);
        Restore(document, arena.journal() + pos);
    }
    arena.journalWrite = stop;
}

void UndoRing::Record(WorkArena& arena, uint32_t offset, uint32_t oldBytes) {
    uint8_t* record = arena.journal() + arena.journalWrite;
    Store32(record, offset);
    Store32(record + 4, oldBytes);
    arena.journalWrite = Forward(arena.journalWrite);
}

}  // namespace zorva::core
