// The one 512 MiB work area, the named regions carved from it at every document install, and who wrote them last.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/BmpImage.h"
#include "core/Plane.h"

namespace zorva::core {

inline constexpr size_t kArenaSize = size_t(0x20000000);   // 512 MiB
inline constexpr size_t kJournalSize = size_t(0x800000);   // 8 MiB: 1,048,576 records of 8 bytes
inline constexpr size_t kMinPlaneSize = size_t(0x100000);  // PixelPlane is never below 1 MiB

// Region sizes of a width x height document, as carved at install.
struct ArenaLayout {
    size_t planeSize = 0;  // P = max(4 * W * H, 1 MiB)
    // ImageBlockSize: the file size rounded up to 8, of the picture or of the
    // picture turned a quarter turn, whichever is larger.
    uint32_t imageBlockSize = 0;
    // Bytes the fixed regions need: journal, PixelPlane, BackgroundCopy,
    // MaskImage and a FloatImage able to hold the whole picture.
    size_t required() const { return kJournalSize + 2 * planeSize + 2 * size_t(imageBlockSize); }
};

ArenaLayout LayoutFor(uint32_t width, uint32_t height);

// Why a picture cannot become the document.
enum class ImageFit { Fits, TooLarge };

// Refuses pictures whose rows, columns or stride leave 16 bits, and pictures
// whose regions would not fit the arena (about 37 million pixels and more).
ImageFit CheckFit(uint32_t width, uint32_t height);

// The named regions. SegmentTables exists only while a segmentation keeps
// its record table in the arena, behind its map.
enum class Region : uint8_t { PixelJournal, PixelPlane, BackgroundCopy, MaskImage, FloatImage, SegmentTables };
inline constexpr size_t kRegionCount = 6;

// A claim on what a region holds: state derived from a region (a segment
// map, VectorData, the local means) keeps the lease it took when it wrote
// the region, and asks WorkArena::holds before it reads the region again.
struct Lease {
    Region region = Region::PixelJournal;
    uint32_t generation = 0;  // 0 is never held
};

// Where a segmentation placed its map and record table.
struct SegmentPlacement {
    uint8_t* map = nullptr;
    // Null when the arena has no room for the worst-case table: the caller
    // keeps it in a block of its own.
    uint8_t* table = nullptr;
};

// The arena hands its regions out as typed views. Every writable view is
// handed out through a write* accessor, which records the write: every lease
// on the bytes it covers (in whichever region they lie) is broken, so stale
// state never has to be remembered by the writer. Reading changes nothing.
class WorkArena {
public:
    WorkArena() = default;
    WorkArena(const WorkArena&) = delete;
    WorkArena& operator=(const WorkArena&) = delete;
    ~WorkArena();

    // Reserves the zero-filled 512 MiB; pages are committed lazily by the
    // kernel. False when the address space cannot be had.
    bool reserve(size_t size = kArenaSize);
    bool reserved() const { return m_base != nullptr; }
    size_t size() const { return m_size; }

    // Sets ImageBlockSize (LayoutFor) and every region from the document's header,
    // returns the journal write position to the start and breaks every
    // lease. The caller has checked the picture with CheckFit.
    void carve(BmpView document);
    bool carved() const { return m_carved; }
    uint32_t imageBlockSize() const { return m_imageBlockSize; }
    // P: the size of PixelPlane and of BackgroundCopy.
    size_t planeSize() const { return m_planeSize; }

    // ---- PixelJournal: the undo ring's ring of pixel records ----
    uint8_t* journal() const { return m_base; }
    // Byte offset of the next record.
    uint32_t journalWrite = 0;
    // Byte offset of the current action's header: records that must be
    // walked back (a selection outline) never wrap over it.
    uint32_t journalGuard = 0;

    // ---- writing ----
    // The document's width x height words at PixelPlane: local means,
    // filter accumulators.
    Plane<uint32_t> writePixelPlane();
    // The first `count` words of PixelPlane (at most P / 4): the histogram.
    std::span<uint32_t> writePixelWords(size_t count);
    // BackgroundCopy shaped as the document's BMP block (ImageBlockSize bytes).
    MutableBmpView writeBackground();
    // The first `bytes` bytes of BackgroundCopy, as a work plane.
    std::span<uint8_t> writeBackgroundBytes(size_t bytes);
    // MaskImage as a BMP block (ImageBlockSize bytes).
    MutableBmpView writeMask();
    // The words from MaskImage up to FloatImage: VectorData's home.
    std::span<uint32_t> writeMaskWords();
    // FloatImage with room for `bytes` (a floating selection larger than the
    // document reaches beyond its usual share; the bytes it covers lose
    // their leases). Empty when the arena cannot hold that many.
    std::span<uint8_t> writeFloat(size_t bytes);
    MutableBmpView writeFloatImage(size_t bytes) { return MutableBmpView(writeFloat(bytes).data()); }

    // ---- reading ----
    Plane<const uint32_t> pixelPlane() const;
    BmpView background() const { return BmpView(begin(Region::BackgroundCopy)); }
    BmpView mask() const { return BmpView(begin(Region::MaskImage)); }
    BmpView floatImage() const { return BmpView(begin(Region::FloatImage)); }
    // Bytes from the start of `region` to the end of the arena.
    size_t roomFrom(Region region) const;

    // ---- leases ----
    Lease lease(Region region) const { return {region, m_generation[size_t(region)]}; }
    bool holds(const Lease& lease) const {
        return lease.generation != 0 && m_generation[size_t(lease.region)] == lease.generation;
    }

    // ---- the segmentations' layouts ----
    // 8-connected segmentation: the label map (the document's BMP shape) at
    // BackgroundCopy, MaskImage and FloatImage one ImageBlockSize each right
    // behind it, then the table of `tableBytes` when the arena holds it.
    SegmentPlacement placeLabelMap(size_t tableBytes);
    // Median-cut segmentation: `mapBytes` of map at BackgroundCopy, the
    // table right behind it when the arena holds it with room for MaskImage
    // (two ImageBlockSizes: VectorData) and FloatImage behind it; MaskImage
    // and FloatImage follow the table (or keep their carved places).
    SegmentPlacement placeIndexedMap(size_t mapBytes, size_t tableBytes);
    // After the run: the table keeps `usedBytes`; MaskImage starts right
    // after them and FloatImage two ImageBlockSizes later.
    void settleIndexedTable(size_t usedBytes);

private:
    struct Span {
        size_t offset = 0;
        size_t size = 0;
    };
    uint8_t* begin(Region region) const { return m_base + m_span[size_t(region)].offset; }
    // Records a write of `bytes` from the start of `region`: every region
    // whose bytes it meets gets a new generation.
    uint8_t* touch(Region region, size_t bytes);
    void bump(Region region) { m_generation[size_t(region)] = m_nextGeneration++; }
    void set(Region region, size_t offset, size_t size) { m_span[size_t(region)] = Span{offset, size}; }

    uint8_t* m_base = nullptr;
    size_t m_size = 0;
    bool m_carved = false;
    uint32_t m_imageBlockSize = 0;
    size_t m_planeSize = 0;
    size_t m_pixels = 0;  // W x H of the carved document
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    std::array<Span, kRegionCount> m_span{};
    std::array<uint32_t, kRegionCount> m_generation{};
    uint32_t m_nextGeneration = 1;
};

}  // namespace zorva::core
