// The 14-tool table, hover labels, tool choice and the status-bar fields.
#include "shell/view/Palette.h"

#include <cstdio>

#include "shell/Editor.h"
#include "shell/commands/Selection.h"
#include "shell/commands/WindowCommands.h"
#include "shell/input/Input.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {

using enum ToolKind;

constexpr std::array<ToolInfo, kToolCount> kTools = {{
    {FreehandSelection, "Выделение", tool::FreehandSelection, "freehand-select"},
    {PolygonSelection, "Выделение", tool::PolygonSelection, "polygon-select"},
    {RectangleSelection, "Выделение", tool::RectangleSelection, "rectangle-select"},
    {Eraser, "Стирание", tool::Eraser, "eraser"},
    {Fill, "Заливка", tool::Fill, "fill"},
    {ColourPicker, "Выбор цвета", tool::ColourPicker, "picker"},
    {Zoom, "Масштаб", tool::None, "zoom"},
    {Pencil, "Карандаш", tool::Pencil, "pencil"},
    {Brush, "Кисть", tool::Brush, "brush"},
    {Text, "Текст", tool::None, "text"},
    {Line, "Прямая", tool::Line, "line"},
    {Curve, "Кривая", tool::None, "curve"},
    {Rectangle, "Прямоугол.", tool::Rectangle, "rectangle"},
    {Polygon, "Многоугол.", tool::Polygon, "polygon"},
}};

constexpr std::array<int, status::kFieldCount> kFieldEdges = {100, 150, 200, 250, 300, 350,
                                                              405, 460, 515, 585, 680, 850};

// Label placement: beside the strip, a little below the top of the button.
constexpr int kLabelX = 30;
constexpr int kLabelTop = 10;
constexpr int kLabelWidth = 70;
constexpr int kLabelHeight = 15;

}  // namespace

std::span<const ToolInfo> Tools() {
    return kTools;
}

const ToolInfo& Tool(int k) {
    return kTools[size_t(k - 1)];
}

int HoverIndex(int y) {
    if (y < 0 || y >= kPaletteHeight) return 0;
    return y / kToolButtonSize + 1;
}

Rect ToolLabelRect(int k) {
    return Rect{kLabelX, kLabelTop + kToolButtonSize * (k - 1), kLabelWidth, kLabelHeight};
}

bool HoverPalette(Editor& editor, int y) {
    EditorState& state = editor.state();
    if (state.toolMode & (tool::NoDocument | tool::ActionUnderWay)) return false;
    const int k = HoverIndex(y);
    if (k == state.palette.hovered) return false;
    state.palette.hovered = k;
    editor.host().repaint(false);
    return true;
}

bool LeavePalette(Editor& editor) {
    PaletteState& palette = editor.state().palette;
    if (palette.hovered == 0) return false;
    palette.hovered = 0;
    return true;
}

void ChooseTool(Editor& editor, int k, PointerTools& tools) {
    if (k < 1 || k > kToolCount || !editor.hasDocument()) return;
    EditorState& state = editor.state();
    state.palette.chosen = k;
    state.palette.chosenPressed = true;
    // A rectangle still open for editing is drawn into the picture, and a
    // selection ended, before the tool changes under them: no outline is
    // left burnt into the picture.
    tools.commitRectangle(editor);
    EndSelection(editor);
    state.toolMode = tool::None;
    state.toolMode = Tool(k).toolMode;
    if (Tool(k).kind == ToolKind::Zoom) OpenZoomDialog(editor);
    if (state.toolMode != tool::None) {
        editor.relayout();
        state.viewMode = CommandId::SourceView;
        editor.setStatus(status::Colour, ColourFieldBgr(state.drawRed, state.drawGreen, state.drawBlue));
        editor.host().repaint(true);
    }
}

void ShowChosenReleased(Editor& editor) {
    editor.state().palette.chosenPressed = false;
}

std::span<const int, status::kFieldCount> StatusFieldEdges() {
    return kFieldEdges;
}

std::string ColourFieldBgr(uint8_t red, uint8_t green, uint8_t blue) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", blue, green, red);
    return text;
}

std::string ColourFieldRgb(uint8_t red, uint8_t green, uint8_t blue) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", red, green, blue);
    return text;
}

}  // namespace zorva::shell
