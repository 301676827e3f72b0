// The zoom dialog "CONTROLS3": eight radio buttons from 25% to 1600% that act at once, and OK.
#pragma once

#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

class Editor;

inline constexpr int kZoomRadioFirst = 250;  // "25%"; 250 + ZoomIndex - 1 up to 257 "1600%"
inline constexpr int kZoomOk = 258;

// Choosing a radio button sets ZoomIndex, lays the view out again and
// repaints, leaving the dialog open; "OK" and the close box end it with a
// repaint. Nothing else changes: there is no Cancel.
class ZoomDialog : public DialogModel {
public:
    explicit ZoomDialog(Editor& editor);

    // Checks the radio button of the current ZoomIndex.
    void open() override;

protected:
    void onClick(int id) override;
    void onCloseBox() override;

private:
    void checkOnly(int id);

    Editor& m_editor;
};

}  // namespace zorva::shell
