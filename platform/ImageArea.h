// The client area of the main window: tool strip, picture, hover label, scroll bars and status bar.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>

#include "effects/Resample.h"
#include "shell/Editor.h"
#include "shell/input/Input.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QScrollBar;

namespace zorva::platform {

class QtHost;

// The 20-pixel status bar: 12 sunken fields ending at the shell's edges.
class StatusBarWidget : public QWidget {
public:
    explicit StatusBarWidget(QWidget* parent);
    void setField(int field, const QString& text);
    const QString& field(int field) const { return m_fields[size_t(field)]; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QString, shell::status::kFieldCount> m_fields;
};

// Everything below the menu bar. Mouse, keys and scroll bars go to the
// shell's input rules; the widgets follow the editor's state after every
// event (syncFromState). Client width and height are this widget's, less
// the status bar.
class ImageArea : public QWidget {
    Q_OBJECT
public:
    // `host` shows the busy pointer around what keys and clicks set going.
    ImageArea(shell::Editor& editor, shell::PointerTools& tools, QtHost& host, QWidget* parent);

    void setStatusField(int field, const QString& text);
    // Shows or hides the placeholder, palette, label, bars and status bar as
    // the editor's state says, and places the bars where the layout put them.
    void syncFromState();

    StatusBarWidget* statusBar() const { return m_status; }
    QLabel* toolLabel() const { return m_label; }
    QScrollBar* horizontalBar() const { return m_hbar; }
    QScrollBar* verticalBar() const { return m_vbar; }
    QFrame* placeholder() const { return m_placeholder; }
    // How the picture is resampled on screen (tests compare the routes).
    void setResampleRoute(effects::ResampleRoute route) { m_route = route; }

    // The virtual-key code of a Qt key event for the shell's key handler, or
    // 0 for keys it does not know. Letters are taken from the key's place on
    // the keyboard when a non-Latin layout (Cyrillic) is active, as shortcut
    // letters are everywhere.
    static int VirtualKey(const QKeyEvent& event);

signals:
    // The right button asks for submenu `submenu` of the context menu.
    void contextMenuRequested(int submenu, const QPoint& globalPos);
    // A paint event ended: what can wait until the picture shows goes now.
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // The wheel scrolls (Shift: sideways); Ctrl+wheel zooms at the pointer.
    void wheelEvent(QWheelEvent* event) override;
    // A touchpad's pinch zooms at the pointer like Ctrl+wheel.
    bool event(QEvent* event) override;

private:
    void routeMove(const QPoint& at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void onScroll(shell::ScrollAxis axis, int action);
    void syncBar(QScrollBar* bar, const shell::ScrollBarState& state, bool shown);

    shell::Editor& m_editor;
    shell::PointerTools& m_tools;
    QtHost& m_host;
    std::array<QPixmap, shell::kToolCount> m_released;
    std::array<QPixmap, shell::kToolCount> m_pressed;
    QFrame* m_placeholder;
    QLabel* m_label;
    QScrollBar* m_hbar;
    QScrollBar* m_vbar;
    StatusBarWidget* m_status;
    void zoomAt(const QPoint& at, int steps);

    effects::ResampleRoute m_route = effects::ResampleRoute::Fastest;
    QPoint m_lastMove{-1, -1};
    // Wheel and pinch movement not yet worth a step (high-resolution wheels
    // and touchpads report in fractions of a notch).
    int m_wheelZoom = 0;
    double m_pinch = 0;
};

}  // namespace zorva::platform
