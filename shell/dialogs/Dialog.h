// Dialogs as data: a table of controls per dialog, one toolkit-free model that runs any of them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/dialogs/ControlIds.h"

namespace zorva::shell {

class Editor;

enum class ControlKind {
    Label,         // a caption
    Trackbar,      // a slider with a range
    UpDown,        // a pair of arrows stepping a value through a range
    ReadOnlyEdit,  // shows another control's value, derived, never typed into
    Radio,         // one choice of a value
    Button,
    Picture,  // an illustration, by picture number (0: empty)
    Value,    // a value the dialog keeps without showing it (a scale, a choice)
};

// How a read-only edit shows the value it echoes.
enum class Echo : uint8_t {
    ThreeDigits,  // "032": three digits with leading zeros
    SignedThree,  // "008", "-05", "-10": a minus sign and two digits for negatives
    Name,         // names[value]
};

// What a click on a button does.
enum class Press : uint8_t {
    None,    // only what the dialog's hooks make of it
    Ok,      // ends the dialog, keeping the result
    Cancel,  // ends the dialog, changing nothing
    Set,     // sets control `source` to `initial` (a scale, a choice)
};

class DialogModel;

// One row of a dialog's table. Fields that a kind does not use stay at
// their defaults.
struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    int id = 0;             // the resource id (named in ControlIds.h); 0 for plain labels
    std::string_view text;  // caption or button text
    // Trackbar, UpDown, Value: the range and the value on opening. Radio and
    // Set buttons: the value they stand for.
    int minimum = 0;
    int maximum = 0;
    int initial = 0;
    // ReadOnlyEdit and Picture: the control they show; Radio and Set
    // buttons: the control they set.
    int source = 0;
    Echo echo = Echo::ThreeDigits;
    std::span<const std::string_view> names;  // Echo::Name
    // ReadOnlyEdit and Picture: shows this instead of the source's value
    // (an echo that combines two controls, a picture chosen by a value).
    int (*derive)(const DialogModel&) = nullptr;
    Press press = Press::None;
};

// A dialog resource: its name, its title and its controls in display order.
struct DialogSpec {
    std::string_view resource;
    std::string_view title;
    std::span<const ControlSpec> controls;
};

// ---- table helpers ----
constexpr ControlSpec Label(std::string_view text) {
    return {.kind = ControlKind::Label, .text = text};
}
// A slider and the edit that echoes it as three digits.
constexpr ControlSpec Slider(int id, int minimum, int maximum, int initial) {
    return {.kind = ControlKind::Trackbar, .id = id, .minimum = minimum, .maximum = maximum, .initial = initial};
}
constexpr ControlSpec EchoOf(int id, int source, Echo echo = Echo::ThreeDigits) {
    return {.kind = ControlKind::ReadOnlyEdit, .id = id, .source = source, .echo = echo};
}
constexpr ControlSpec Button(int id, std::string_view text, Press press = Press::None) {
    return {.kind = ControlKind::Button, .id = id, .text = text, .press = press};
}
constexpr ControlSpec SetButton(int id, std::string_view text, int target, int value) {
    return {
        .kind = ControlKind::Button, .id = id, .text = text, .initial = value, .source = target, .press = Press::Set};
}
constexpr ControlSpec Radio(int id, std::string_view text, int target, int value) {
    return {.kind = ControlKind::Radio, .id = id, .text = text, .initial = value, .source = target};
}
constexpr ControlSpec Value(int id, int initial) {
    return {.kind = ControlKind::Value, .id = id, .initial = initial};
}

// "OK" and "Отмена" of every parameter dialog.
inline constexpr ControlSpec kOkButton = Button(kOkId, "OK", Press::Ok);
inline constexpr ControlSpec kCancelButton = Button(kCancelId, "Отмена", Press::Cancel);

// Ids of values a dialog keeps without a control of the resource.
inline constexpr int kFirstValueId = 1000;

// What a control shows now.
struct DialogControl {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;  // caption, button text, or the edit's current text
    int minimum = 0;
    int maximum = 0;
    int value = 0;  // trackbar, up-down, value, picture number
    bool checked = false;
};

// How a dialog ended.
enum class DialogEnd { Running, Ok, Cancel, CloseBox };

// What a command makes of its dialog's events, beyond what the table says.
// Every hook may be null.
struct DialogHooks {
    // After the controls took their initial values.
    void (*opened)(Editor&, DialogModel&) = nullptr;
    // A trackbar, up-down, radio or button `id` changed (after the table's
    // own effect; not for the buttons that end the dialog).
    void (*changed)(Editor&, DialogModel&, int id) = nullptr;
    // "Отмена" and the close box, before the dialog ends.
    void (*cancelled)(Editor&, DialogModel&) = nullptr;
    void (*closed)(Editor&, DialogModel&) = nullptr;
};

// A dialog built from its table. Hosts render it (the Qt host as a real
// modal dialog) or drive it directly (tests, zorva-cli); every event returns
// true when it ended the dialog.
class DialogModel {
public:
    // `editor` is handed to the hooks; a dialog without hooks needs none.
    // `snapshot`: opening takes an undo snapshot first.
    DialogModel(const DialogSpec& form, Editor* editor = nullptr, DialogHooks hooks = {}, bool snapshot = false);

    std::string_view resource() const { return m_spec.resource; }
    std::string_view title() const { return m_spec.title; }
    const std::vector<DialogControl>& controls() const { return m_controls; }
    const DialogControl* control(int id) const;
    // The value of trackbar, up-down or value control `id` (0 for others).
    int value(int id) const;
    DialogEnd end() const { return m_end; }
    // The button that ended the dialog (0 for the close box).
    int endedBy() const { return m_endedBy; }

    // Called once by the host before the dialog is shown: the snapshot when
    // asked for, the initial values, then the `opened` hook.
    void open();
    // The user moved trackbar or up-down `id` to `position` (clamped to its range).
    bool moveTrackbar(int id, int position);
    // The user clicked button or radio button `id`.
    bool click(int id);
    // The user closed the dialog with the close box of its title bar.
    bool closeBox();

    // For hooks: sets a control's value (clamped) and refreshes what derives from it.
    void setValue(int id, int value);
    void finish(DialogEnd how, int by = 0);

private:
    const ControlSpec* controlSpec(int id) const;
    DialogControl* find(int id);
    // Recomputes every echo, radio and picture from the values.
    void derive();

    const DialogSpec& m_spec;
    Editor* m_editor;
    DialogHooks m_hooks;
    bool m_snapshot;
    std::vector<DialogControl> m_controls;
    DialogEnd m_end = DialogEnd::Running;
    int m_endedBy = 0;
};

// One scripted user action on a dialog, for zorva-cli and tests.
struct DialogStep {
    enum Kind { Trackbar, Click, CloseBox } kind = Click;  // Trackbar moves trackbars and up-downs
    int id = 0;
    int value = 0;
};
using DialogScript = std::vector<DialogStep>;

// Opens the model and plays the script until the dialog ends; returns how it ended.
DialogEnd PlayDialog(DialogModel& model, const DialogScript& script);

// `value` as three characters: "032", or for Echo::SignedThree "-05".
std::string FormatEcho(int value, Echo echo);

}  // namespace zorva::shell
