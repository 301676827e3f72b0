// The pointer actions of the tools that exist: what the left and right buttons do in each ToolMode.
#pragma once

#include "shell/input/Input.h"

namespace zorva::shell {

// Routes the mouse to the tool named by ToolMode. Segment selection picks on
// the left button and removes on the right; the drawing and selection tools
// add their actions here as they arrive.
class EditorTools : public PointerTools {
public:
    void press(Editor& editor) override;
    void removeSegment(Editor& editor) override;
};

}  // namespace zorva::shell
