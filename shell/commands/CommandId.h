// The numeric command identifiers of menus, context menus, keys and palette.
#pragma once

#include <cstdint>

namespace zorva::shell {

enum class CommandId : uint16_t {
    New = 40000,
    Open = 40001,
    SourceView = 40002,
    Zoom = 40004,
    Preview = 40005,
    Print = 40006,
    Copy = 40007,
    Cut = 40008,
    Delete = 40009,
    Undo = 40010,
    SelectAll = 40011,
    Save = 40012,
    Crop = 40013,
    Colour = 40015,
    Adjust = 40016,
    Greyscale = 40017,
    CutOut = 40018,
    Segment8 = 40021,
    AboutBox = 40024,
    Paste = 40025,
    Threshold = 40026,
    Russian = 40028,
    English = 40029,
    Rotate = 40030,
    BlurLight = 40031,
    BlurMedium = 40032,
    BlurStrong = 40033,
    BlurVeryStrong = 40034,
    Sobel = 40035,
    PencilHard = 40036,
    PencilSoft = 40037,
    Negative = 40038,
    Line1 = 40042,
    Line2 = 40043,
    Line3 = 40044,
    Line4 = 40045,
    SegmentSelect = 40046,
    EraserSmall = 40047,
    EraserMedium = 40048,
    EraserLarge = 40049,
    SvgExport = 40050,
    Close = 40051,
    Redo = 40052,
    CopyMode = 40053,
    HelpFile = 40060,
    HelpEdit = 40061,
    HelpView = 40062,
    HelpPicture = 40063,
    HelpEffects = 40064,
    HelpSegmentation = 40065,
    HelpWindow = 40066,
    HelpTools = 40067,
    Sharpen = 40073,
    Barcode = 40074,
    ObjectColours = 40075,
    Palette = 40077,
    ColourEnhance = 40079,
    SegmentMedianCut = 40080,
    PlateHere = 40081,
    Text = 40082,
    Engrave = 40083,
    PlatesFolder = 40084,
    HelpRecognition = 40085,
    NextPhoto = 40086,
    PreviousPhoto = 40087,
    MakeBase = 40088,
    CompareBase1 = 40089,
    CompareBase2 = 40090,
    CompareBase3 = 40091,
    GridOff = 260,
    Grid4 = 261,
    Grid8 = 262,
    Grid16 = 263,
    Grid32 = 264,
    Grid64 = 265,
    // Commands without a menu item, for scripts only (zorva-cli OPs),
    // numbered apart from the menu's ids.
    BarcodeStrict = 41074,  // the barcode command with the exact reader alone
    PlateStrict = 41081,    // "На текущем фото" with the reading alone, unchecked
};

constexpr uint16_t ToInt(CommandId id) {
    return static_cast<uint16_t>(id);
}

}  // namespace zorva::shell
