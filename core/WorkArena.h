// The one 512 MiB work area and the named regions carved from it at every document install.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/BmpImage.h"

namespace zorva::core {

inline constexpr size_t kArenaSize = size_t(0x20000000);   // 512 MiB
inline constexpr size_t kJournalSize = size_t(0x800000);   // 8 MiB: 1,048,576 records of 8 bytes
inline constexpr size_t kMinPlaneSize = size_t(0x100000);  // PixelPlane is never below 1 MiB

// Region sizes of a width x height document, as carved at install.
struct ArenaLayout {
    size_t planeSize = 0;  // P = max(4 * W * H, 1 MiB)
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
    uint8_t* base() const { return m_base; }
    size_t size() const { return m_size; }
    uint8_t* end() const { return m_base + m_size; }

    // Sets ImageBlockSize and every region pointer from the document's
    // header; returns the journal write position to the start. The caller
    // has checked the picture with CheckFit.
    void carve(BmpView document);
    bool carved() const { return m_carved; }

    // Region pointers. Each region is reached through its own pointer;
    // segmentation may move maskImage and floatImage behind its tables until
    // the next carve.
    uint8_t* pixelJournal = nullptr;
    uint8_t* pixelPlane = nullptr;
    uint8_t* backgroundCopy = nullptr;
    uint8_t* maskImage = nullptr;
    uint8_t* floatImage = nullptr;
    size_t planeSize = 0;
    uint32_t imageBlockSize = 0;
    // Byte offset of the next PixelJournal record.
    uint32_t journalWrite = 0;

    // Bytes from `p` to the end of the arena (0 when p lies outside it).
    size_t roomFrom(const uint8_t* p) const;

private:
    uint8_t* m_base = nullptr;
    size_t m_size = 0;
    bool m_carved = false;
};

}  // namespace zorva::core
