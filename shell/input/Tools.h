// The pointer actions of the tools: what the left and right buttons do in each ToolMode.
#pragma once

#include "shell/input/Input.h"

namespace zorva::shell {

// Routes the mouse to the tool named by ToolMode: the drawing tools (pencil,
// brush, eraser, line, rectangle, polygon, flood fill, colour picker), the
// three selection tools and the selection states, segment selection.
class EditorTools : public PointerTools {
public:
    void press(Editor& editor) override;
    void drag(Editor& editor) override;
    void release(Editor& editor) override;
    bool commitRectangle(Editor& editor) override;
    void removeSegment(Editor& editor) override;
    void closePolygon(Editor& editor) override;
};

// Draws a rectangle of the rectangle tool that is still editable into the
// picture in the drawing colour; true when there was one.
bool CommitRectangle(Editor& editor);

}  // namespace zorva::shell
