// Snapshot files, whole-image undo and redo, and the pixel journal walks.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "core/ImageFiles.h"
#include "core/UndoRing.h"
#include "tests/support/TestSupport.h"

namespace zorva::core {
namespace {

class UndoRingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(arena.reserve());
        doc = test::MakeSolid(5, 4, 0);
        arena.carve(doc.view());
        ring.setFolder(dir.path());
    }
    // Paints the whole picture one colour: stands in for any edit.
    void Paint(uint32_t rgb) {
        for (uint32_t r = 0; r < 4; ++r)
            for (uint32_t x = 0; x < 5; ++x) doc.view().set(x, r, rgb);
    }
    uint32_t Colour() const { return test::Rgb(doc.view(), 2, 2); }

    test::TempDir dir;
    WorkArena arena;
    BmpImage doc;
    UndoRing ring;
};

TEST_F(UndoRingTest, SlotFilesAreNamedByOneUpperCaseHexDigit) {
    EXPECT_EQ(ring.slotPath(0), dir.path() + "/$$$grVX0.bmp");
    EXPECT_EQ(ring.slotPath(10), dir.path() + "/$$$grVXA.bmp");
    EXPECT_EQ(ring.slotPath(15), dir.path() + "/$$$grVXF.bmp");
}

TEST_F(UndoRingTest, SixteenSnapshotsAllowFifteenUndoSteps) {
    for (uint32_t i = 1; i <= 16; ++i) {
        ASSERT_EQ(ring.snapshot(doc.view(), arena, 0), UndoStatus::Done);
        Paint(i);
    }
    for (uint32_t i = 16; i >= 2; --i) {
        ASSERT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::Done) << i;
        EXPECT_EQ(Colour(), i - 1);
    }
    // The slot after the newest snapshot is always empty: the 16th step fails.
    EXPECT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::NothingToDo);
    EXPECT_EQ(Colour(), 1u);
    // ... and all fifteen steps can be redone.
    for (uint32_t i = 2; i <= 16; ++i) {
        ASSERT_EQ(ring.redo(doc.view(), arena, false), UndoStatus::Done) << i;
        EXPECT_EQ(Colour(), i);
    }
    EXPECT_EQ(ring.redo(doc.view(), arena, false), UndoStatus::NothingToDo);
}

TEST_F(UndoRingTest, SnapshotUndoRedoChain) {
    Paint(0xAA);
    ring.snapshot(doc.view(), arena, 0);
    Paint(0xBB);
    const std::vector<uint8_t> after(doc.data(), doc.data() + arena.imageBlockSize());
    ASSERT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(Colour(), 0xAAu);
    ASSERT_EQ(ring.redo(doc.view(), arena, false), UndoStatus::Done);
    EXPECT_TRUE(test::SameBytes(after.data(), after.size(), doc.data(), arena.imageBlockSize()));
    // A snapshot after an undo ends the redo chain.
    ring.undo(doc.view(), arena, false);
    ring.snapshot(doc.view(), arena, 0);
    Paint(0xCC);
    EXPECT_EQ(ring.redo(doc.view(), arena, false), UndoStatus::NothingToDo);
    EXPECT_EQ(Colour(), 0xCCu);
}

TEST_F(UndoRingTest, EmptyRingDoesNothing) {
    ring.snapshot(doc.view(), arena, 0);
    Paint(7);
    ring.empty();
    EXPECT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::NothingToDo);
    EXPECT_EQ(ring.redo(doc.view(), arena, false), UndoStatus::NothingToDo);
    EXPECT_EQ(Colour(), 7u);
    EXPECT_EQ(ring.index(), 0);
}

TEST_F(UndoRingTest, UndoRestoresALargerPictureAfterAShrink) {
    ring.snapshot(doc.view(), arena, 0);
    // A crop rewrites the header to a smaller picture; the snapshot still
    // holds the whole block of the larger one.
    WriteDecodedHeader(doc.data(), 2, 2);
    ASSERT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(doc.view().width(), 5);
    EXPECT_EQ(doc.view().height(), 4);
}

TEST_F(UndoRingTest, JournalUndoRestoresNewestFirstAndKeepsTheIndex) {
    Paint(0x101010);
    ring.snapshot(doc.view(), arena, 0x20);
    const uint32_t start = *ring.slot(0);
    // Two records for the same pixel: undo must walk newest first so the
    // oldest saved value wins.
    const uint32_t offset = uint32_t(doc.view().pixel(1, 1) - doc.data());
    UndoRing::Record(arena, offset, 0x101010);
    doc.view().set(1, 1, 0x909090);
    UndoRing::Record(arena, offset, 0x909090);
    doc.view().set(1, 1, 0x555555);
    const uint32_t end = arena.journalWrite;

    ASSERT_EQ(ring.undo(doc.view(), arena, true), UndoStatus::Done);
    EXPECT_EQ(test::Rgb(doc.view(), 1, 1), 0x101010u);
    EXPECT_EQ(ring.index(), 1);                       // journal undo keeps the index
    EXPECT_EQ(Load32(arena.journal() + start), end);  // and stores the end in the header
}

TEST_F(UndoRingTest, JournalRedoWalksOnlyFromAHeaderAJournalUndoSet) {
    ring.snapshot(doc.view(), arena, 0x20);  // slot 0
    ring.snapshot(doc.view(), arena, 0x20);  // slot 1
    ring.undo(doc.view(), arena, false);     // file undo back to slot 1
    // Slot 1's header holds the tool bit 0x20, not a position.
    const std::vector<uint8_t> before(doc.data(), doc.data() + arena.imageBlockSize());
    EXPECT_EQ(ring.redo(doc.view(), arena, true), UndoStatus::NothingToDo);
    EXPECT_TRUE(test::SameBytes(before.data(), before.size(), doc.data(), arena.imageBlockSize()));
}

TEST_F(UndoRingTest, JournalRedoAfterJournalUndoReappliesOutlineMarks) {
    Paint(0x101010);
    ring.snapshot(doc.view(), arena, 0);  // slot 0, index 1
    const uint32_t offset = uint32_t(doc.view().pixel(0, 0) - doc.data());
    UndoRing::Record(arena, offset, 0x101010);
    doc.view().set(0, 0, 0x909090);  // outline marking: every byte XOR 0x80
    const uint32_t end = arena.journalWrite;
    ring.undo(doc.view(), arena, true);  // stores the end in slot 0's header
    EXPECT_EQ(test::Rgb(doc.view(), 0, 0), 0x101010u);
    ring.undo(doc.view(), arena, false);  // file undo: index 0
    ASSERT_EQ(ring.index(), 0);
    ASSERT_EQ(ring.redo(doc.view(), arena, true), UndoStatus::Done);
    EXPECT_EQ(test::Rgb(doc.view(), 0, 0), 0x909090u);
    EXPECT_EQ(arena.journalWrite, end);
    EXPECT_EQ(ring.index(), 1);
}

TEST_F(UndoRingTest, RollBackRestoresTheCurrentActionOnly) {
    Paint(0x010101);
    ring.snapshot(doc.view(), arena, 0);
    const uint32_t o1 = uint32_t(doc.view().pixel(0, 0) - doc.data());
    const uint32_t o2 = uint32_t(doc.view().pixel(4, 3) - doc.data());
    UndoRing::Record(arena, o1, 0x010101);
    doc.view().set(0, 0, 0xFF0000);
    UndoRing::Record(arena, o2, 0x010101);
    doc.view().set(4, 3, 0x00FF00);
    ring.rollBack(doc.view(), arena);
    EXPECT_EQ(test::Rgb(doc.view(), 0, 0), 0x010101u);
    EXPECT_EQ(test::Rgb(doc.view(), 4, 3), 0x010101u);
    EXPECT_EQ(arena.journalWrite, ring.actionStart() + 8);
}

TEST_F(UndoRingTest, UnwritableSnapshotNeverRestoresAStalePicture) {
    // A stale file from an earlier run sits in slot 0.
    const BmpImage stale = test::MakeSolid(5, 4, 0xDEAD00);
    ring.snapshot(stale.view(), arena, 0);
    ring.empty();
    // The folder goes away: the next snapshot cannot be written.
    ring.setFolder(dir.file("gone"));
    Paint(0x000011);
    EXPECT_EQ(ring.snapshot(doc.view(), arena, 0), UndoStatus::WriteFailed);
    EXPECT_EQ(ring.index(), 0);
    Paint(0x000022);
    ring.setFolder(dir.path());
    EXPECT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::NothingToDo);
    EXPECT_EQ(Colour(), 0x22u);
}

TEST_F(UndoRingTest, ShortSnapshotFileLeavesTheDocumentUntouched) {
    Paint(0x111111);
    ring.snapshot(doc.view(), arena, 0);
    Paint(0x222222);
    std::filesystem::resize_file(ring.slotPath(0), 40);
    const std::vector<uint8_t> before(doc.data(), doc.data() + arena.imageBlockSize());
    EXPECT_EQ(ring.undo(doc.view(), arena, false), UndoStatus::ReadFailed);
    EXPECT_TRUE(test::SameBytes(before.data(), before.size(), doc.data(), arena.imageBlockSize()));
    EXPECT_EQ(ring.index(), 1);  // nothing moved: the step can be retried
}

// A write that fails half-way: a file-size limit below the file stands in
// for a full disk (root ignores file permissions, a limit it does not).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    struct rlimit m_old {};
};

// A snapshot that cannot be written takes no step, says so, and every
// earlier step is still there to undo.
TEST_F(UndoRingTest, AFailedSnapshotKeepsTheEarlierSteps) {
    BmpImage big = test::MakeSolid(300, 200, 0x000001);
    arena.carve(big.view());
    const auto colour = [&] { return test::Rgb(big.view(), 150, 100); };
    const auto paint = [&](uint32_t rgb) { test::Fill(big.view(), rgb); };
    ASSERT_EQ(ring.snapshot(big.view(), arena, 0), UndoStatus::Done);
    paint(0x000002);
    ASSERT_EQ(ring.snapshot(big.view(), arena, 0), UndoStatus::Done);
    paint(0x000003);
    {
        FileSizeLimit full(4096);
        EXPECT_EQ(ring.snapshot(big.view(), arena, 0), UndoStatus::WriteFailed);
    }
    EXPECT_EQ(ring.index(), 2);
    paint(0x000004);
    ASSERT_EQ(ring.undo(big.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(colour(), 0x000002u);
    ASSERT_EQ(ring.undo(big.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(colour(), 0x000001u);
    // Redo goes forward again, up to the picture the failed step left.
    ASSERT_EQ(ring.redo(big.view(), arena, false), UndoStatus::Done);
    ASSERT_EQ(ring.redo(big.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(colour(), 0x000004u);
}

// Two copies of the program, or the window and zorva-cli, started from one
// folder: each has snapshot files of its own, and a step whose file someone
// else replaced is refused, never taken for ours.
TEST(UndoFolder, TwoCopiesNeverShareSnapshotFiles) {
    test::TempDir dir;
    // What a copy that ended left behind: its subfolder, no longer locked.
    const std::string dead = dir.file("$$$grVX.4194305");
    std::filesystem::create_directory(dead);
    test::WriteBytes(dead + "/$$$grVX0.bmp", {1, 2, 3});
    test::WriteBytes(dead + "/$$$grVX.lock", {});

    const UndoFolder first = UndoFolder::Claim(dir.path());
    EXPECT_EQ(first.path(), dir.path());
    EXPECT_FALSE(std::filesystem::exists(dead));
    UndoFolder second = UndoFolder::Claim(dir.path());
    ASSERT_FALSE(second.path().empty());
    EXPECT_NE(second.path(), first.path());
    EXPECT_EQ(std::filesystem::path(second.path()).parent_path(), std::filesystem::path(dir.path()));
    EXPECT_EQ(std::filesystem::status(second.path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage a = test::MakeSolid(5, 4, 0xA), b = test::MakeSolid(5, 4, 0xB);
    arena.carve(a.view());
    UndoRing ringA(first.path()), ringB(second.path());
    ASSERT_EQ(ringA.snapshot(a.view(), arena, 0), UndoStatus::Done);
    ASSERT_EQ(ringB.snapshot(b.view(), arena, 0), UndoStatus::Done);
    test::Fill(a.view(), 0xAA);
    ASSERT_EQ(ringA.undo(a.view(), arena, false), UndoStatus::Done);
    EXPECT_EQ(test::Rgb(a.view(), 0, 0), 0xAu);

    // Another program writes a file of the same size where our step was.
    test::Fill(b.view(), 0xBB);
    ASSERT_TRUE(WriteWholeFile(ringB.slotPath(0), a.data(), arena.imageBlockSize()));
    EXPECT_EQ(ringB.undo(b.view(), arena, false), UndoStatus::ReadFailed);
    EXPECT_EQ(test::Rgb(b.view(), 0, 0), 0xBBu);

    // A copy's own subfolder goes when the copy ends; the shared folder stays.
    const std::string sub = second.path();
    second = UndoFolder();
    EXPECT_FALSE(std::filesystem::exists(sub));
    EXPECT_TRUE(std::filesystem::exists(ringA.slotPath(1)));
}

// The program's folder not writable and no home: the user's cache folder is
// used, or else a fresh folder only this user can enter; never a fixed name
// under the temporary folder, and never a link planted at a snapshot's name.
TEST(UndoFolder, FallsBackToPrivateFoldersAndNeverFollowsALink) {
    test::TempDir dir;
    test::WriteBytes(dir.file("file"), {1});  // a "program folder" that cannot hold files
    setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
    const UndoFolder cached = UndoFolder::Claim(dir.file("file"));
    EXPECT_EQ(cached.path(), dir.file("cache") + "/zorva");
    setenv("XDG_CACHE_HOME", dir.file("file/cache").c_str(), 1);  // not a folder either
    setenv("TMPDIR", dir.path().c_str(), 1);
    UndoFolder own = UndoFolder::Claim(dir.file("file"));
    unsetenv("XDG_CACHE_HOME");
    unsetenv("TMPDIR");
    ASSERT_EQ(own.path().rfind(dir.file("zorva-"), 0), 0u) << own.path();
    EXPECT_EQ(std::filesystem::status(own.path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // A link planted where a snapshot goes is replaced, not written through.
    test::WriteBytes(dir.file("victim"), {7});
    UndoRing ring(own.path());
    std::filesystem::create_symlink(dir.file("victim"), ring.slotPath(0));
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    const BmpImage doc = test::MakeSolid(5, 4, 0);
    arena.carve(doc.view());
    ASSERT_EQ(ring.snapshot(doc.view(), arena, 0), UndoStatus::Done);
    EXPECT_EQ(test::ReadBytes(dir.file("victim")), std::vector<uint8_t>{7});
    EXPECT_FALSE(std::filesystem::is_symlink(ring.slotPath(0)));

    // Nothing would ever clean a private folder left under the temporary
    // folder: it goes, snapshots and all, when the copy ends.
    const std::string ownPath = own.path();
    own = UndoFolder();
    EXPECT_FALSE(std::filesystem::exists(ownPath));
    EXPECT_EQ(test::ReadBytes(dir.file("victim")), std::vector<uint8_t>{7});
}

// An installed copy (here a package unpacked under a scratch root, which
// anyone may write) keeps its snapshots in the user's cache folder and
// leaves the program's folder as the package put it.
TEST(UndoFolder, AnInstalledCopyWritesOnlyIntoTheUserCache) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.file("root/usr/bin"));
    std::filesystem::create_directories(dir.file("root/usr/share/zorva"));
    setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
    UndoFolder installed = UndoFolder::Claim(dir.file("root/usr/bin"));
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(installed.path(), dir.file("cache") + "/zorva");
    installed = UndoFolder();
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("root/usr/bin")));
}

}  // namespace
}  // namespace zorva::core
