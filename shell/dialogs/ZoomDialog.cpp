// The zoom dialog "CONTROLS3" as a model: radios 250..257 change ZoomIndex live, OK 258 ends it.
#include "shell/dialogs/ZoomDialog.h"

#include "shell/Editor.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {
constexpr const char* kZoomTexts[kZoomLevels] = {"25%", "50%", "100%", "200%", "400%", "600%", "800%", "1600%"};
}

ZoomDialog::ZoomDialog(Editor& editor) : DialogModel("CONTROLS3", "Масштаб"), m_editor(editor) {
    for (int i = 0; i < kZoomLevels; ++i)
        add(DialogControl{.id = kZoomRadioFirst + i, .kind = ControlKind::Radio, .text = kZoomTexts[i]});
    add(DialogControl{.id = kZoomOk, .kind = ControlKind::Button, .text = "OK"});
}

void ZoomDialog::checkOnly(int id) {
    for (int i = 0; i < kZoomLevels; ++i) setChecked(kZoomRadioFirst + i, kZoomRadioFirst + i == id);
}

void ZoomDialog::open() {
    checkOnly(kZoomRadioFirst + m_editor.state().zoomIndex - 1);
}

void ZoomDialog::onClick(int id) {
    if (id >= kZoomRadioFirst && id < kZoomRadioFirst + kZoomLevels) {
        checkOnly(id);
        m_editor.state().zoomIndex = uint8_t(id - kZoomRadioFirst + 1);
        m_editor.relayout();
        m_editor.host().repaint(true);
        return;
    }
    if (id == kZoomOk) {
        finish(DialogEnd::Ok);
        m_editor.host().repaint(true);
    }
}

void ZoomDialog::onCloseBox() {
    finish(DialogEnd::CloseBox);
    m_editor.host().repaint(true);
}

}  // namespace zorva::shell
