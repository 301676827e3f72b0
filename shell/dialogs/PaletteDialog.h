// The PALITRA dialog: the number of colours of the indexed palette, or 256.
#pragma once

#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

class Editor;

// "Индексированная палитра": trackbar 201 (2..32) echoed in edit 231, button
// 205 "256" (256 colours, then as OK), OK 211, "Отмена" 212. Opening takes an
// undo snapshot and sets PaletteSize to 32; the trackbar writes PaletteSize.
class PaletteDialog : public DialogModel {
public:
    explicit PaletteDialog(Editor& editor);
    void open() override;

protected:
    void onTrackbar(int id, int position) override;
    void onClick(int id) override;

private:
    Editor& m_editor;
};

}  // namespace zorva::shell
