// The PALITRA dialog model.
#include "shell/dialogs/PaletteDialog.h"

#include "shell/Editor.h"
#include "shell/dialogs/SegmentDialogs.h"

namespace zorva::shell {

PaletteDialog::PaletteDialog(Editor& editor) : DialogModel("PALITRA", "Индексированная палитра"), m_editor(editor) {
    add({0, ControlKind::Label, "Количество цветов в палитре"});
    add({dialog::kTrackbar1, ControlKind::Trackbar, "", 2, 32, 32});
    add({dialog::kEdit1, ControlKind::ReadOnlyEdit, "032"});
    add({dialog::kButton256, ControlKind::Button, "256"});
    add({dialog::kOk, ControlKind::Button, "OK"});
    add({dialog::kCancel, ControlKind::Button, "Отмена"});
}

void PaletteDialog::open() {
    m_editor.takeSnapshot();
    m_editor.state().segment.paletteSize = 32;
    setTrackbar(dialog::kTrackbar1, 32);
    showValue(dialog::kEdit1, 32);
}

void PaletteDialog::onTrackbar(int id, int position) {
    if (id != dialog::kTrackbar1) return;
    m_editor.state().segment.paletteSize = position;
    showValue(dialog::kEdit1, position);
}

void PaletteDialog::onClick(int id) {
    if (id == dialog::kButton256) {
        m_editor.state().segment.paletteSize = 256;
        finish(DialogEnd::Ok);
    } else if (id == dialog::kOk) {
        finish(DialogEnd::Ok);
    } else if (id == dialog::kCancel) {
        finish(DialogEnd::Cancel);
    }
}

}  // namespace zorva::shell
