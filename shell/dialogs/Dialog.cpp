// The one dialog model: controls from the table, echoes derived, events handed to the command's hooks.
#include "shell/dialogs/Dialog.h"

#include <algorithm>
#include <cstdio>

#include "shell/Editor.h"

namespace zorva::shell {

DialogModel::DialogModel(const DialogSpec& form, Editor* editor, DialogHooks hooks, bool snapshot)
    : m_spec(form), m_editor(editor), m_hooks(hooks), m_snapshot(snapshot) {
    m_controls.reserve(form.controls.size());
    for (const ControlSpec& c : form.controls) {
        DialogControl control{c.id, c.kind, std::string(c.text), c.minimum, c.maximum, 0, false};
        // Radios and Set buttons name a value instead of holding one.
        if (c.kind != ControlKind::Radio && c.kind != ControlKind::Button) control.value = c.initial;
        m_controls.push_back(std::move(control));
    }
    derive();
}

const ControlSpec* DialogModel::controlSpec(int id) const {
    if (id == 0) return nullptr;
    for (const ControlSpec& c : m_spec.controls)
        if (c.id == id) return &c;
    return nullptr;
}

const DialogControl* DialogModel::control(int id) const {
    if (id == 0) return nullptr;
    for (const DialogControl& c : m_controls)
        if (c.id == id) return &c;
    return nullptr;
}

DialogControl* DialogModel::find(int id) {
    return const_cast<DialogControl*>(static_cast<const DialogModel*>(this)->control(id));
}

int DialogModel::value(int id) const {
    const DialogControl* c = control(id);
    return c ? c->value : 0;
}

void DialogModel::derive() {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        const ControlSpec& s = m_spec.controls[i];
        DialogControl& c = m_controls[i];
        switch (s.kind) {
            case ControlKind::ReadOnlyEdit: {
                const int v = s.derive ? s.derive(*this) : value(s.source);
                if (s.echo == Echo::Name)
                    c.text = v >= 0 && size_t(v) < s.names.size() ? std::string(s.names[size_t(v)]) : std::string();
                else
                    c.text = FormatEcho(v, s.echo);
                break;
            }
            case ControlKind::Radio:
                c.checked = value(s.source) == s.initial;
                break;
            case ControlKind::Picture:
                if (s.derive)
                    c.value = s.derive(*this);
                else if (s.source)
                    c.value = value(s.source);
                break;
            default:
                break;
        }
    }
}

void DialogModel::setValue(int id, int v) {
    DialogControl* c = find(id);
    if (!c) return;
    if (c->kind == ControlKind::Trackbar || c->kind == ControlKind::UpDown) v = std::clamp(v, c->minimum, c->maximum);
    c->value = v;
    derive();
}

void DialogModel::finish(DialogEnd how, int by) {
    if (m_end != DialogEnd::Running) return;
    m_end = how;
    m_endedBy = by;
}

void DialogModel::open() {
    if (m_snapshot && m_editor) m_editor->takeSnapshot();
    for (size_t i = 0; i < m_controls.size(); ++i) {
        const ControlSpec& s = m_spec.controls[i];
        if (s.kind == ControlKind::Trackbar || s.kind == ControlKind::UpDown || s.kind == ControlKind::Value ||
            s.kind == ControlKind::Picture)
            m_controls[i].value = s.initial;
    }
    derive();
    if (m_hooks.opened && m_editor) m_hooks.opened(*m_editor, *this);
}

bool DialogModel::moveTrackbar(int id, int position) {
    if (m_end != DialogEnd::Running) return true;
    DialogControl* c = find(id);
    if (!c || (c->kind != ControlKind::Trackbar && c->kind != ControlKind::UpDown)) return false;
    setValue(id, position);
    if (m_hooks.changed && m_editor) m_hooks.changed(*m_editor, *this, id);
    return m_end != DialogEnd::Running;
}

bool DialogModel::click(int id) {
    if (m_end != DialogEnd::Running) return true;
    const ControlSpec* s = controlSpec(id);
    if (!s) return false;
    if (s->kind == ControlKind::Radio) {
        setValue(s->source, s->initial);
    } else if (s->kind != ControlKind::Button) {
        return false;
    } else if (s->press == Press::Ok) {
        finish(DialogEnd::Ok, id);
        return true;
    } else if (s->press == Press::Cancel) {
        if (m_hooks.cancelled && m_editor) m_hooks.cancelled(*m_editor, *this);
        finish(DialogEnd::Cancel, id);
        return true;
    } else if (s->press == Press::Set) {
        setValue(s->source, s->initial);
    }
    if (m_hooks.changed && m_editor) m_hooks.changed(*m_editor, *this, id);
    return m_end != DialogEnd::Running;
}

bool DialogModel::closeBox() {
    if (m_end != DialogEnd::Running) return true;
    if (m_hooks.closed && m_editor) m_hooks.closed(*m_editor, *this);
    finish(DialogEnd::CloseBox);
    return true;
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

std::string FormatEcho(int value, Echo echo) {
    char text[16];
    if (echo == Echo::SignedThree && value < 0)
        std::snprintf(text, sizeof text, "-%02d", (-value) % 100);
    else
        std::snprintf(text, sizeof text, "%03d", value);
    return text;
}

}  // namespace zorva::shell
