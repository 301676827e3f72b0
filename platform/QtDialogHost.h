// Renders any dialog model as a modal Qt dialog: sliders with their three-digit echo, radio buttons, buttons, labels.
#pragma once

#include <QDialog>
#include <map>
#include <vector>

#include "shell/dialogs/Dialog.h"

class QAbstractButton;
class QHBoxLayout;
class QLineEdit;
class QWidget;

namespace zorva::platform {

// A modal dialog built from a model's controls, in their declared order:
// labels, each trackbar as a slider beside the read-only edit that follows
// it, consecutive radio buttons as one group, buttons in a row at the bottom.
// Every user action goes to the model and the widgets are refreshed from it;
// the dialog closes when the model ends. Escape and the title bar's close
// box are the model's close box.
class ModelDialog : public QDialog {
    Q_OBJECT
public:
    ModelDialog(shell::DialogModel& model, QWidget* parent);

    // The widget of control `id` (for tests), or null.
    QWidget* widgetFor(int id) const;

public slots:
    void reject() override;

private:
    // Builders of the rows: a widget kept under its control id, a button
    // that clicks its control in the model, the echo edit that follows
    // control i (moving i past it; null when none follows), a trackbar or an
    // up-down with its echo.
    QWidget* keep(int id, QWidget* widget);
    QAbstractButton* clicks(int id, QAbstractButton* button);
    QLineEdit* takeEcho(const std::vector<shell::DialogControl>& controls, size_t& i);
    QHBoxLayout* trackbarRow(const shell::DialogControl& c, QLineEdit* echo);
    QHBoxLayout* upDownRow(const shell::DialogControl& c, QLineEdit* echo);
    void refresh();
    void afterEvent();

    shell::DialogModel& m_model;
    std::map<int, QWidget*> m_widgets;
};

// Opens the model (model.open()), then runs its dialog until it ends.
void RunModelDialog(shell::DialogModel& model, QWidget* parent);

}  // namespace zorva::platform
