// Dialogs as models: the controls a dialog declares and the events it handles, free of any toolkit.
#pragma once

#include <string>
#include <vector>

namespace zorva::shell {

enum class ControlKind { Label, Trackbar, ReadOnlyEdit, Radio, Button };

struct DialogControl {
    int id = 0;  // resource id (201 trackbar, 231 edit, 211 OK, ...); 0 for plain labels
    ControlKind kind = ControlKind::Label;
    std::string text;  // caption, button text or the edit's current text
    int minimum = 0;   // trackbar range
    int maximum = 0;
    int value = 0;         // trackbar position
    bool checked = false;  // radio state
};

// How a dialog ended.
enum class DialogEnd { Running, Ok, Cancel, CloseBox };

// A dialog declares its controls and reacts to events. Hosts render it (the
// Qt host as a real modal dialog) or drive it directly (tests, zorva-cli).
// Every event returns true when it ended the dialog.
class DialogModel {
public:
    DialogModel(std::string resource, std::string title) : m_resource(std::move(resource)), m_title(std::move(title)) {}
    virtual ~DialogModel() = default;

    const std::string& resource() const { return m_resource; }
    const std::string& title() const { return m_title; }
    const std::vector<DialogControl>& controls() const { return m_controls; }
    const DialogControl* control(int id) const;
    DialogEnd end() const { return m_end; }

    // Called once by the host before the dialog is shown.
    virtual void open() {}
    // The user moved trackbar `id` to `position` (clamped to its range).
    bool moveTrackbar(int id, int position);
    // The user clicked button or radio button `id`.
    bool click(int id);
    // The user closed the dialog with the close box of its title bar.
    bool closeBox();

protected:
    DialogControl& add(DialogControl control);
    DialogControl* find(int id);
    // Shows `value` in a read-only edit as exactly three digits ("032").
    void showValue(int editId, int value);
    void setTrackbar(int id, int value);
    void setChecked(int id, bool checked);
    void finish(DialogEnd how) { m_end = how; }

    virtual void onTrackbar(int /*id*/, int /*position*/) {}
    virtual void onClick(int /*id*/) {}
    virtual void onCloseBox() { finish(DialogEnd::CloseBox); }

private:
    std::string m_resource;
    std::string m_title;
    std::vector<DialogControl> m_controls;
    DialogEnd m_end = DialogEnd::Running;
};

// One scripted user action on a dialog, for zorva-cli and tests.
struct DialogStep {
    enum Kind { Trackbar, Click, CloseBox } kind = Click;
    int id = 0;
    int value = 0;
};
using DialogScript = std::vector<DialogStep>;

// Opens the model and plays the script until the dialog ends; returns how it ended.
DialogEnd PlayDialog(DialogModel& model, const DialogScript& script);

}  // namespace zorva::shell
