// The generic Qt face of the dialog models.
#include "platform/QtDialogHost.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "platform/PaletteIcons.h"

namespace zorva::platform {

namespace {
QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The read-only edit that echoes a trackbar or an up-down, beside it.
QLineEdit* EchoEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}
}  // namespace

ModelDialog::ModelDialog(shell::DialogModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setWindowTitle(Text(model.title()));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const std::vector<shell::DialogControl>& controls = model.controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const shell::DialogControl& c = controls[i];
        switch (c.kind) {
            case shell::ControlKind::Label:
                column->addWidget(keep(c.id, new QLabel(Text(c.text), this)));
                break;
            case shell::ControlKind::Trackbar:
                column->addLayout(trackbarRow(c, takeEcho(controls, i)));
                break;
            case shell::ControlKind::UpDown:
                column->addLayout(upDownRow(c, takeEcho(controls, i)));
                break;
            case shell::ControlKind::Picture: {
                auto* picture = new QLabel(this);
                picture->setAlignment(Qt::AlignCenter);
                picture->setFrameStyle(QFrame::Box | QFrame::Sunken);
                picture->setMinimumSize(kIllustrationSize, kIllustrationSize);
                column->addWidget(keep(c.id, picture));
                break;
            }
            case shell::ControlKind::Value:
                break;
            case shell::ControlKind::ReadOnlyEdit: {
                auto* edit = new QLineEdit(this);
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::NoFocus);
                column->addWidget(keep(c.id, edit));
                break;
            }
            case shell::ControlKind::Radio: {
                auto* radio = new QRadioButton(Text(c.text), this);
                // The model decides which radio is checked.
                radio->setAutoExclusive(false);
                column->addWidget(clicks(c.id, radio));
                break;
            }
            case shell::ControlKind::Button:
                buttons->addWidget(clicks(c.id, new QPushButton(Text(c.text), this)));
                break;
        }
    }
    column->addLayout(buttons);
    refresh();
}

QWidget* ModelDialog::keep(int id, QWidget* widget) {
    if (id) m_widgets[id] = widget;
    return widget;
}

QAbstractButton* ModelDialog::clicks(int id, QAbstractButton* button) {
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        m_model.click(id);
        afterEvent();
    });
    keep(id, button);
    return button;
}

QLineEdit* ModelDialog::takeEcho(const std::vector<shell::DialogControl>& controls, size_t& i) {
    if (i + 1 >= controls.size() || controls[i + 1].kind != shell::ControlKind::ReadOnlyEdit) return nullptr;
    auto* edit = EchoEdit(this);
    keep(controls[++i].id, edit);
    return edit;
}

QHBoxLayout* ModelDialog::trackbarRow(const shell::DialogControl& c, QLineEdit* echo) {
    auto* row = new QHBoxLayout;
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(c.minimum, c.maximum);
    slider->setMinimumWidth(256);
    const int id = c.id;
    connect(slider, &QSlider::valueChanged, this, [this, id](int value) {
        m_model.moveTrackbar(id, value);
        afterEvent();
    });
    row->addWidget(keep(id, slider), 1);
    // The edit that echoes the trackbar sits beside it.
    if (echo) row->addWidget(echo);
    return row;
}

QHBoxLayout* ModelDialog::upDownRow(const shell::DialogControl& c, QLineEdit* echo) {
    // An edit that shows the value (when the next control echoes it) with
    // the two arrows that step it.
    auto* row = new QHBoxLayout;
    if (echo) {
        echo->setMaximumWidth(QWIDGETSIZE_MAX);
        row->addWidget(echo, 1);
    }
    const int id = c.id;
    for (const auto& [arrow, step] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        const int delta = step;
        connect(button, &QToolButton::clicked, this, [this, id, delta] {
            m_model.moveTrackbar(id, m_model.value(id) + delta);
            afterEvent();
        });
        row->addWidget(button);
    }
    return row;
}

QWidget* ModelDialog::widgetFor(int id) const {
    const auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

void ModelDialog::refresh() {
    for (const shell::DialogControl& c : m_model.controls()) {
        QWidget* w = widgetFor(c.id);
        if (!w) continue;
        const QSignalBlocker block(w);
        switch (c.kind) {
            case shell::ControlKind::Label:
                static_cast<QLabel*>(w)->setText(Text(c.text));
                break;
            case shell::ControlKind::Trackbar:
                static_cast<QSlider*>(w)->setValue(c.value);
                break;
            case shell::ControlKind::ReadOnlyEdit:
                static_cast<QLineEdit*>(w)->setText(Text(c.text));
                break;
            case shell::ControlKind::Radio:
                static_cast<QRadioButton*>(w)->setChecked(c.checked);
                break;
            case shell::ControlKind::Button:
                static_cast<QPushButton*>(w)->setText(Text(c.text));
                break;
            case shell::ControlKind::Picture:
                static_cast<QLabel*>(w)->setPixmap(IllustrationPicture(c.value, devicePixelRatioF()));
                break;
            case shell::ControlKind::UpDown:
            case shell::ControlKind::Value:
                break;
        }
    }
}

void ModelDialog::afterEvent() {
    refresh();
    if (m_model.end() != shell::DialogEnd::Running) done(m_model.end() == shell::DialogEnd::Ok ? Accepted : Rejected);
}

void ModelDialog::reject() {
    if (m_model.end() == shell::DialogEnd::Running) m_model.closeBox();
    QDialog::reject();
}

void RunModelDialog(shell::DialogModel& model, QWidget* parent) {
    model.open();
    if (model.end() != shell::DialogEnd::Running) return;
    ModelDialog dialog(model, parent);
    dialog.exec();
}

}  // namespace zorva::platform
