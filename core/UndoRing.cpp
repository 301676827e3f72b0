// Snapshot files, whole-image undo and redo, and the pixel journal's walks.
#include "core/UndoRing.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/ImageFiles.h"
#include "core/InstallLayout.h"

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

// The outline marking of the selection tools: every pixel recorded after the
// header at `header` and before `end` inverted by XOR 0x80.
void XorRecords(MutableBmpView document, WorkArena& arena, uint32_t header, uint32_t end) {
    for (uint32_t pos = Forward(header); pos != end; pos = Forward(pos)) {
        uint8_t* pixel = document.data() + Load32(arena.journal() + pos);
        pixel[0] ^= 0x80;
        pixel[1] ^= 0x80;
        pixel[2] ^= 0x80;
    }
}

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
    std::string probe = folder + "/.zorva-probe-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

constexpr const char* kLockName = "$$$grVX.lock";
constexpr const char* kClaimName = "$$$grVX.claim";
constexpr const char* kPrivatePrefix = "$$$grVX.";

// Opens and locks `folder`/$$$grVX.lock without waiting; -1 when another
// copy holds it or it cannot be had. A link under that name is not followed.
int LockFolder(const std::string& folder) {
    const std::string path = folder + "/" + kLockName;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Holds "$$$grVX.claim" of a folder locked while copies make, lock and
// remove their subfolders there. Without it a copy that has just made its
// subfolder, and not yet locked it, would look ended to another copy
// starting at that moment, which would remove the folder under it.
class ClaimGuard {
public:
    explicit ClaimGuard(const std::string& base) {
        const std::string path = base + "/" + kClaimName;
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0) return;
        while (flock(m_fd, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            close(m_fd);
            m_fd = -1;
            return;
        }
    }
    ~ClaimGuard() {
        if (m_fd >= 0) close(m_fd);
    }
    ClaimGuard(const ClaimGuard&) = delete;
    ClaimGuard& operator=(const ClaimGuard&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Removes a folder of one copy's own whose lock `lock` is held: its
// snapshot files and the lock file, then the folder if nothing else is left.
void RemoveFolder(const std::string& folder, int lock) {
    std::error_code listError;
    for (std::filesystem::directory_iterator f(folder, listError), fend; !listError && f != fend;
         f.increment(listError)) {
        const std::string file = f->path().filename().string();
        if (file.rfind("$$$grVX", 0) == 0) unlink(f->path().c_str());
    }
    close(lock);
    rmdir(folder.c_str());
}

// Removes the private subfolders of copies that have ended: their lock is
// free. Only the snapshot files and the lock inside are removed. The caller
// holds the base's claim lock.
void RemoveStaleFolders(const std::string& base) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.rfind(kPrivatePrefix, 0) != 0 || name == kLockName || !it->is_directory(typeError) ||
            it->is_symlink(typeError))
            continue;
        const std::string folder = it->path().string();
        const int lock = LockFolder(folder);
        if (lock < 0) continue;  // its copy is still running
        RemoveFolder(folder, lock);
    }
}

// The user's cache folder for the program, made when missing.
std::string CacheFolder() {
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        cache = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!(home && *home == '/')) {
            const passwd* entry = getpwuid(getuid());
            home = entry ? entry->pw_dir : nullptr;
        }
        if (!(home && *home == '/')) return {};
        cache = std::string(home) + "/.cache";
    }
    mkdir(cache.c_str(), 0700);
    const std::string folder = cache + "/zorva";
    mkdir(folder.c_str(), 0700);
    return folder;
}

// A fresh folder only this user can enter, under the temporary folder.
std::string PrivateTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/zorva-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace

UndoFolder UndoFolder::Claim(const std::string& programFolder) {
    UndoFolder claimed;
    std::vector<std::string> bases;
    // An installed copy's folder (/usr/bin) is the package manager's, shared
    // by every user: writable as root, and still never ours to fill.
    if (!IsInstalledProgramFolder(programFolder) && CanCreateFileIn(programFolder)) bases.push_back(programFolder);
    if (const std::string cache = CacheFolder(); CanCreateFileIn(cache)) bases.push_back(cache);
    for (const std::string& base : bases) {
        const ClaimGuard claim(base);
        if (!claim.held()) continue;
        RemoveStaleFolders(base);
        if ((claimed.m_lock = LockFolder(base)) >= 0) {
            claimed.m_path = base;
            return claimed;
        }
        // Another copy works here: a subfolder of this copy's own.
        const std::string own = base + "/" + kPrivatePrefix + std::to_string(getpid());
        if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) continue;
        struct stat st {};
        if (lstat(own.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) continue;
        if ((claimed.m_lock = LockFolder(own)) >= 0) {
            claimed.m_path = own;
            claimed.m_base = base;
            claimed.m_owned = true;
            return claimed;
        }
    }
    const std::string own = PrivateTempFolder();
    if (!own.empty() && (claimed.m_lock = LockFolder(own)) >= 0) {
        claimed.m_path = own;
        claimed.m_owned = true;
    }
    return claimed;
}

UndoFolder::UndoFolder(UndoFolder&& other) noexcept
    : m_path(std::move(other.m_path)), m_base(std::move(other.m_base)), m_lock(other.m_lock), m_owned(other.m_owned) {
    other.m_lock = -1;
    other.m_owned = false;
}

UndoFolder& UndoFolder::operator=(UndoFolder&& other) noexcept {
    if (this != &other) {
        release();
        m_path = std::move(other.m_path);
        m_base = std::move(other.m_base);
        m_lock = other.m_lock;
        m_owned = other.m_owned;
        other.m_lock = -1;
        other.m_owned = false;
    }
    return *this;
}

UndoFolder::~UndoFolder() {
    release();
}

void UndoFolder::release() {
    if (m_lock < 0) return;
    // A folder made for this copy alone goes with it; nothing else would
    // ever clean one under the temporary folder.
    if (m_owned) {
        // Under the claim lock of the folder above, as every removal: a copy
        // starting now sees the folder whole or not at all. A private folder
        // under the temporary folder has no claim lock to take.
        std::optional<ClaimGuard> claim;
        if (!m_base.empty()) claim.emplace(m_base);
        RemoveFolder(m_path, m_lock);
    } else {
        close(m_lock);
    }
    m_lock = -1;
    m_owned = false;
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

UndoRing::FileStamp UndoRing::StampOf(const struct stat& st) {
    return {uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
            int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool UndoRing::writeSlotFile(int slot, BmpView document, uint32_t size) {
    const std::string path = slotPath(slot);
    if (!WriteWholeFile(path, document.data(), size, FileKind::Private)) return false;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    m_stamp[size_t(slot)] = StampOf(st);
    return true;
}

bool UndoRing::readSlotFile(int slot, uint32_t size) {
    if (m_scratch.capacity() < size) {
        m_scratch = BmpImage::Allocate(size);
        if (!m_scratch) return false;
    }
    const int fd = open(slotPath(slot).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // Only the very file this ring wrote: another program (or another copy
    // of this one) that replaced it has not written our step.
    bool ok = fstat(fd, &st) == 0 && st.st_size == off_t(size) && StampOf(st) == m_stamp[size_t(slot)];
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

    arena.journalGuard = pos;
    uint8_t* header = arena.journal() + pos;
    Store32(header, toolMode & 0x20u);
    Store32(header + 4, kJournalHeaderMarker);
    arena.journalWrite = Forward(pos);
    m_index = next;

    if (!m_writesFiles) {
        m_fileValid[size_t(i)] = false;
        return UndoStatus::Done;
    }
    const bool written = writeSlotFile(i, document, arena.imageBlockSize());
    m_fileValid[size_t(i)] = written;
    if (!written) {
        // No step for this action; the ones before it stay where they are.
        m_slots[size_t(i)] = std::nullopt;
        m_index = i;
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

    if (!m_writesFiles) return UndoStatus::NothingToDo;
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
        XorRecords(document, arena, header, end);
        arena.journalWrite = end;
        return UndoStatus::Done;
    }

    if (!m_writesFiles) return UndoStatus::NothingToDo;
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

void UndoRing::replayAction(MutableBmpView document, WorkArena& arena) {
    const int q = (m_index + kUndoSlots - 1) % kUndoSlots;
    if (!m_slots[size_t(q)] || !m_journalEndSet[size_t(q)]) return;
    const uint32_t header = *m_slots[size_t(q)];
    XorRecords(document, arena, header, Load32(arena.journal() + header) & kJournalMask);
}

void UndoRing::keepActionSoFar(const WorkArena& arena) {
    m_actionStart = Back(arena.journalWrite);
}

void UndoRing::rewindToAction(WorkArena& arena) {
    const int q = (m_index + kUndoSlots - 1) % kUndoSlots;
    if (m_slots[size_t(q)]) arena.journalWrite = Forward(*m_slots[size_t(q)]);
}

bool UndoRing::Record(WorkArena& arena, uint32_t offset, uint32_t oldBytes, bool kept) {
    if (kept && Forward(arena.journalWrite) == arena.journalGuard) return false;
    uint8_t* record = arena.journal() + arena.journalWrite;
    Store32(record, offset);
    Store32(record + 4, oldBytes);
    arena.journalWrite = Forward(arena.journalWrite);
    return true;
}

}  // namespace zorva::core
