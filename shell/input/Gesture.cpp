// Gestures of scripts: parsed from OP text, performed through the mouse routing in image coordinates.
#include "shell/input/Gesture.h"

#include <charconv>

#include "shell/Editor.h"
#include "shell/input/Input.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {

// Image coordinates of a script stay within what a 16-bit pointer holds.
constexpr int kMaxCoordinate = 0x7FFF;

std::optional<int> Coordinate(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxCoordinate)
        return std::nullopt;
    return value;
}

std::optional<std::vector<Gesture::Point>> Points(std::string_view args) {
    std::vector<int> numbers;
    size_t start = 0;
    for (;;) {
        const size_t comma = args.find(',', start);
        const std::optional<int> n = Coordinate(args.substr(start, comma - start));
        if (!n) return std::nullopt;
        numbers.push_back(*n);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (numbers.size() % 2 != 0) return std::nullopt;
    std::vector<Gesture::Point> points;
    for (size_t i = 0; i < numbers.size(); i += 2) points.push_back({numbers[i], numbers[i + 1]});
    return points;
}

struct Form {
    std::string_view name;
    Gesture::Kind kind;
    std::string_view synopsis;
};

constexpr Form kForms[] = {
    {"tool", Gesture::Kind::Tool, "tool:NAME"},
    {"click", Gesture::Kind::Click, "click:X,Y"},
    {"rclick", Gesture::Kind::RightClick, "rclick:X,Y"},
    {"drag", Gesture::Kind::Drag, "drag:X1,Y1,X2,Y2[,X,Y...]"},
};

std::string ToolNames() {
    std::string names;
    for (const ToolInfo& t : Tools()) names += (names.empty() ? "" : ", ") + std::string(t.name);
    return names;
}

// A script's point as the pointer position it stands for: rows counted
// from the top become stored rows counted from the bottom.
ImagePoint Place(const Editor& editor, Gesture::Point p) {
    const int height = int(editor.document().height());
    return SnapToPicture(editor.state(), editor.document(), {p.x, std::max(0, height - 1 - p.y)});
}

}  // namespace

std::optional<Gesture> ParseGesture(std::string_view op, std::string& why) {
    const size_t colon = op.find(':');
    const std::string_view name = op.substr(0, colon);
    const std::string_view args = colon == std::string_view::npos ? std::string_view() : op.substr(colon + 1);
    for (const Form& form : kForms) {
        if (form.name != name) continue;
        Gesture g;
        g.kind = form.kind;
        if (form.kind == Gesture::Kind::Tool) {
            for (size_t k = 0; k < Tools().size(); ++k)
                if (Tools()[k].name == args) g.tool = int(k) + 1;
            if (g.tool == 0) why = std::string(op) + ": the tool is one of " + ToolNames();
            return g.tool == 0 ? std::nullopt : std::optional<Gesture>(g);
        }
        std::optional<std::vector<Gesture::Point>> points =
            colon == std::string_view::npos ? std::nullopt : Points(args);
        const bool one = form.kind != Gesture::Kind::Drag;
        if (!points || (one && points->size() != 1) || (!one && points->size() < 2)) {
            why = std::string(op) + ": takes " + std::string(form.synopsis) + ", coordinates 0 to " +
                  std::to_string(kMaxCoordinate) + " from the top-left corner";
            return std::nullopt;
        }
        g.points = std::move(*points);
        return g;
    }
    return std::nullopt;
}

std::vector<std::string> GestureSynopses() {
    std::vector<std::string> list;
    for (const Form& form : kForms) list.emplace_back(form.synopsis);
    return list;
}

void PerformGesture(Editor& editor, const Gesture& gesture, PointerTools& tools) {
    if (gesture.kind == Gesture::Kind::Tool) {
        ChooseTool(editor, gesture.tool, tools);
        ShowChosenReleased(editor);
        return;
    }
    if (!editor.hasDocument()) return;
    // The pointer arrives with no button held, as a real one would.
    PlacePointer(editor, Place(editor, gesture.points.front()), false);
    switch (gesture.kind) {
        case Gesture::Kind::RightClick:
            // A context menu that would open is left unanswered.
            RightButtonDown(editor, tools);
            return;
        case Gesture::Kind::Click:
            LeftButtonDown(editor, kPaletteWidth, tools);
            LeftButtonUp(editor, tools);
            return;
        case Gesture::Kind::Drag:
            LeftButtonDown(editor, kPaletteWidth, tools);
            for (size_t i = 1; i < gesture.points.size(); ++i) {
                PlacePointer(editor, Place(editor, gesture.points[i]), true);
                if (editor.state().toolMode & tool::ActionUnderWay) tools.drag(editor);
            }
            LeftButtonUp(editor, tools);
            return;
        case Gesture::Kind::Tool:
            return;
    }
}

}  // namespace zorva::shell
