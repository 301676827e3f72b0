// The pointer actions of the tools that exist.
#include "shell/input/Tools.h"

#include "shell/Editor.h"
#include "shell/commands/SegmentCommands.h"

namespace zorva::shell {

void EditorTools::press(Editor& editor) {
    const EditorState& state = editor.state();
    if (state.toolMode & tool::SegmentSelection)
        SegmentPickAt(editor, state.pointer.pointerX & 0x7FFFu, state.pointer.pointerY);
}

void EditorTools::removeSegment(Editor& editor) {
    SegmentRemove(editor);
}

}  // namespace zorva::shell
