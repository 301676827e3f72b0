// The toolkit-free dialog model and the scripted player used by zorva-cli and tests.
#include "shell/dialogs/Dialog.h"

#include <algorithm>
#include <cstdio>

namespace zorva::shell {

const DialogControl* DialogModel::control(int id) const {
    for (const DialogControl& c : m_controls)
        if (c.id == id) return &c;
    return nullptr;
}

DialogControl* DialogModel::find(int id) {
    return const_cast<DialogControl*>(static_cast<const DialogModel*>(this)->control(id));
}

DialogControl& DialogModel::add(DialogControl control) {
    m_controls.push_back(std::move(control));
    return m_controls.back();
}

bool DialogModel::moveTrackbar(int id, int position) {
    DialogControl* c = find(id);
    if (!c || c->kind != ControlKind::Trackbar || m_end != DialogEnd::Running) return m_end != DialogEnd::Running;
    c->value = std::clamp(position, c->minimum, c->maximum);
    onTrackbar(id, c->value);
    return m_end != DialogEnd::Running;
}

bool DialogModel::click(int id) {
    if (m_end != DialogEnd::Running) return true;
    onClick(id);
    return m_end != DialogEnd::Running;
}

bool DialogModel::closeBox() {
    if (m_end != DialogEnd::Running) return true;
    onCloseBox();
    if (m_end == DialogEnd::Running) m_end = DialogEnd::CloseBox;
    return true;
}

void DialogModel::showValue(int editId, int value) {
    if (DialogControl* c = find(editId)) {
        char text[16];
        std::snprintf(text, sizeof text, "%03d", value);
        c->text = text;
    }
}

void DialogModel::setTrackbar(int id, int value) {
    if (DialogControl* c = find(id)) c->value = std::clamp(value, c->minimum, c->maximum);
}

void DialogModel::setChecked(int id, bool checked) {
    if (DialogControl* c = find(id)) c->checked = checked;
}

DialogEnd PlayDialog(DialogModel& model, const DialogScript& script) {
    model.open();
    for (const DialogStep& step : script) {
        if (model.end() != DialogEnd::Running) break;
        switch (step.kind) {
            case DialogStep::Trackbar:
                model.moveTrackbar(step.id, step.value);
                break;
            case DialogStep::Click:
                model.click(step.id);
                break;
            case DialogStep::CloseBox:
                model.closeBox();
                break;
        }
    }
    // A script that leaves the dialog open closes it the way a user who walks
    // away would: with the close box.
    if (model.end() == DialogEnd::Running) model.closeBox();
    return model.end();
}

}  // namespace zorva::shell
