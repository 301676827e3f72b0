// The editor's plain state: one struct a test can create fresh.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/WorkArena.h"
#include "edit/Drawing.h"
#include "effects/AdaptiveThreshold.h"
#include "shell/commands/CommandId.h"
#include "shell/view/WindowState.h"

namespace zorva::shell {

// ToolMode values and bits, tested one by one by the tools and the undo ring.
namespace tool {
inline constexpr uint16_t NoDocument = 0x8000;
inline constexpr uint16_t None = 0;
inline constexpr uint16_t Pencil = 0x1;
inline constexpr uint16_t ActionUnderWay = 0x2;
inline constexpr uint16_t Eraser = 0x8;
inline constexpr uint16_t Brush = 0x10;
inline constexpr uint16_t Fill = 0x20;
inline constexpr uint16_t Line = 0x80;
inline constexpr uint16_t Rectangle = 0x100;
inline constexpr uint16_t Polygon = 0x200;
inline constexpr uint16_t SelectionBit = 0x400;
inline constexpr uint16_t FreehandSelection = 0x401;
inline constexpr uint16_t RectangleSelection = 0x500;
inline constexpr uint16_t PolygonSelection = 0x600;
// The states of a selection on the picture: a pasted image not yet grabbed,
// a floating selection, a closed outline.
inline constexpr uint16_t SelectionPasted = 0x400;
inline constexpr uint16_t SelectionFloating = 0x402;
inline constexpr uint16_t SelectionOutlined = 0x420;
inline constexpr uint16_t SegmentSelection = 0x2000;
inline constexpr uint16_t ColourPicker = 0x4000;
}  // namespace tool

// The status bar's twelve fields, left to right.
namespace status {
enum Field : int {
    CoordinatesLabel,  // "Координаты:"
    PointerX,
    PointerY,      // stored rows from the bottom
    SegmentLabel,  // "Сегмент:"
    Segment,       // a segment count or number
    ColourLabel,   // "  Цвет"
    Colour,        // six hexadecimal digits
    AreaLabel,     // "Площадь"
    Area,          // a segment's pixels
    ResultLabel,   // "Штрих-код", "Авто номер"
    Result,        // what recognition read
    Elapsed,       // "T(ms)=" and the milliseconds
    kFieldCount
};
}  // namespace status

// Which command produced the colours or the segment map last.
enum class SegmentMode : uint8_t {
    Palette = 0,    // the colour-palette command (no map of its own)
    Eight = 1,      // 8-connected segmentation: the label-image map
    MedianCut = 3,  // median-cut segmentation and recognition: the indexed map
};

// Parameters and results shared by the colour, segmentation and vector commands.
struct SegmentState {
    SegmentMode segmentMode = SegmentMode::Palette;
    int paletteSize = 32;  // N, lowered by one just before a run
    int segmentTolerance = 2;
    int segmentRepetitions = 5;
    int minSegmentPoints = 5;
    bool quantiseFirst = true;
    uint16_t vectorFlags = 0;
    uint32_t segmentCount = 0;
    uint32_t segmentTotal = 0;
};

// Which part of an editable rectangle a press took hold of.
enum class RectangleGrip : uint8_t { None, Corner, LeftEdge, RightEdge, BottomEdge, TopEdge, Whole };

// The stroke of a drawing or selection tool, and the rectangle or polygon
// being made.
struct StrokeState {
    edit::Pen pen;
    edit::Point start;   // where the stroke began: the line's start, the rectangle's first corner
    edit::Point corner;  // the rectangle's opposite corner
    edit::Point firstVertex, lastVertex;
    // The rectangle tool's rectangle shows as an XOR outline and can still
    // be moved and resized.
    bool rectangleEditable = false;
    RectangleGrip grip = RectangleGrip::None;
    int gripCorner = 0;  // 0..3 for RectangleGrip::Corner: which corner follows the pointer
    // The left button went down on the picture for this tool and is held.
    bool buttonHeld = false;
};

// A floating (or pasted) selection: where its pixels sit and who may still
// trust the regions that hold them.
struct SelectionState {
    edit::Point position;   // the floating pixels' bottom-left pixel in the picture
    edit::Point size;       // their width (x) and height (y)
    edit::Point reference;  // the pointer where the last move left the selection
    bool dragging = false;
    // FloatImage holds the floating pixels, BackgroundCopy the picture under
    // them; anyone else writing those regions ends the selection's claim.
    core::Lease floating;
    core::Lease background;
};

// The tone dialog's settings, reset every time it opens: index 0 the
// adjustment shared by all channels, 1 red, 2 green, 3 blue (each adding to
// the shared one); every value 0..100, 50 neutral.
struct ToneSettings {
    std::array<uint8_t, 4> brightness{50, 50, 50, 50};
    std::array<uint8_t, 4> contrast{50, 50, 50, 50};
    uint32_t colourGamma = 50;
    uint8_t channel = 0;  // 0 "Все цвета", 1 "Красный", 2 "Зеленый", 3 "Синий"
};

// Parameters of the effects, kept between commands.
struct EffectState {
    ToneSettings tone;
    uint8_t thresholdLevel = 128;  // ThresholdLevel: 128 whenever the threshold dialog opens
    effects::WindowChoice windowChoice = effects::WindowChoice::Wide17;
    int16_t adaptiveLevel = 8;  // AdaptiveLevel, -10..30 in the engraving dialog
    // The LocalMeanRecords in PixelPlane, as ComputeLocalMeans wrote them last.
    core::Lease localMeans;
    // The untouched copy of what a dialog previews on.
    core::Lease untouchedCopy;
};

struct EditorState {
    int clientWidth = 0;
    int clientHeight = 0;       // client height less the 20-pixel status bar
    uint8_t modifierState = 0;  // 0 none, 1 Control held, 2 Shift held
    uint16_t toolMode = tool::NoDocument;
    uint16_t savedTool = 0;
    CommandId viewMode = CommandId::Preview;
    uint8_t zoomIndex = 3;  // 1..8: 25% .. 1600%
    uint8_t drawRed = 0, drawGreen = 0, drawBlue = 0;
    uint8_t lineWidth = 1;
    uint8_t eraserSize = 8;
    uint8_t penSize = 4;
    uint16_t gridStep = 0;
    bool copyMode = false;
    std::string currentFilePath;
    // The file the document was read from or last written to; empty for a
    // new picture (New leaves CurrentFilePath as it was, the title must not).
    std::string documentPath;
    // The picture differs from what was opened, created or last saved: set
    // by every undo snapshot (the step every pixel-changing command takes
    // first), cleared by install and save; after undo, redo and commands
    // that took a snapshot the editor compares the pixels with the saved
    // ones, so stepping back to the saved picture counts as unchanged.
    bool unsavedChanges = false;
    CommandId checkedLine = CommandId::Line1;
    CommandId checkedEraser = CommandId::EraserLarge;
    CommandId checkedGrid = CommandId::GridOff;
    // Selection-outline flags of the selection tools (0x10 primary, secondary).
    uint8_t outlineFlags = 0;
    // outlineFlags bit: the snapshot was taken for a selection tool's stroke
    // (not the freehand pencil's), so its outline is the primary one.
    static constexpr uint8_t kPrimaryOutline = 0x10;
    bool secondaryOutline = false;
    StrokeState stroke;
    SelectionState selection;
    SegmentState segment;
    EffectState effects;
    std::array<std::string, status::kFieldCount> statusText;
    // What the last recognition command returned, as zorva-cli prints it:
    // its text (the result field) and what produced it: the barcode reader
    // ("part", "zxing", "zbar", "-" when nothing was read) or the plate
    // reading's stage ("part").
    struct Reading {
        std::string text;
        std::string by;
    } lastReading;
    // The window: scroll bars and view size, the pointer in image
    // coordinates, the tool palette.
    ViewLayout layout;
    PointerState pointer;
    PaletteState palette;
};

}  // namespace zorva::shell
