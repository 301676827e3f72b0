// Pointer gestures given in image coordinates: how scripts and tests drive the tools through the window's routing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva::shell {

class Editor;
class PointerTools;

// One gesture of a script. Points are columns from the left and rows from
// the top of the picture, as a user reads them off the screen; they are
// snapped to the grid and kept inside the picture like any pointer position.
struct Gesture {
    enum class Kind {
        Tool,        // "tool:NAME": the palette button of that tool is clicked
        Click,       // "click:X,Y": the left button pressed and released at a point
        RightClick,  // "rclick:X,Y": the right button pressed at a point
        Drag,        // "drag:X1,Y1,X2,Y2[,...]": pressed at the first point, moved through the rest, released
    };
    struct Point {
        int x = 0;
        int y = 0;
    };
    Kind kind = Kind::Click;
    int tool = 0;  // palette index, for Kind::Tool
    std::vector<Point> points;
};

// Reads a gesture OP. Nothing when `op` names no gesture; `why` is set when
// it names one but its arguments are wrong ("click:3: takes click:X,Y").
std::optional<Gesture> ParseGesture(std::string_view op, std::string& why);

// The gesture OPs with their argument forms, for the usage text.
std::vector<std::string> GestureSynopses();

// Performs the gesture through the same routing as the window's mouse.
void PerformGesture(Editor& editor, const Gesture& gesture, PointerTools& tools);

}  // namespace zorva::shell
