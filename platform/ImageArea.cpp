// The client area: painting both views and the palette, routing mouse, keys and scroll bars to the shell.
#include "platform/ImageArea.h"

#include <qdrawutil.h>

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "platform/PaintView.h"
#include "platform/PaletteIcons.h"
#include "platform/QtHost.h"
#include "shell/Messages.h"

namespace zorva::platform {

namespace {

QColor Background(const QWidget& w) {
    return w.palette().color(QPalette::HighlightedText);
}

// X keyboard codes of the letter keys on a PC keyboard, for shortcuts typed
// while a non-Latin layout is active.
int LetterAtKeyboardPlace(quint32 scanCode) {
    static constexpr char kRowQ[] = "QWERTYUIOP";  // codes 24..33
    static constexpr char kRowA[] = "ASDFGHJKL";   // 38..46
    static constexpr char kRowZ[] = "ZXCVBNM";     // 52..58
    if (scanCode >= 24 && scanCode <= 33) return kRowQ[scanCode - 24];
    if (scanCode >= 38 && scanCode <= 46) return kRowA[scanCode - 38];
    if (scanCode >= 52 && scanCode <= 58) return kRowZ[scanCode - 52];
    return 0;
}

// The largest font, from 12 pixels down to 8, in which every text fits the
// width beside it: the fields and the label have fixed sizes, fonts do not.
QFont FittingFont(QFont font, std::initializer_list<std::pair<QString, int>> texts) {
    for (int pixels = 12; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        bool fits = true;
        for (const auto& [text, width] : texts) fits = fits && metrics.horizontalAdvance(text) <= width;
        if (fits) break;
    }
    return font;
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

// ---- status bar ----

StatusBarWidget::StatusBarWidget(QWidget* parent) : QWidget(parent) {
    // The four labels of the bar must fit their fields (less border and margin).
    const auto edges = shell::StatusFieldEdges();
    setFont(FittingFont(font(), {{Text(shell::text::kFieldCoordinates), edges[0] - 7},
                                 {Text(shell::text::kFieldSegment), edges[3] - edges[2] - 7},
                                 {Text(shell::text::kFieldColour), edges[5] - edges[4] - 7},
                                 {Text(shell::text::kFieldArea), edges[7] - edges[6] - 7}}));
}

void StatusBarWidget::setField(int field, const QString& text) {
    if (field < 0 || field >= shell::status::kFieldCount || m_fields[size_t(field)] == text) return;
    m_fields[size_t(field)] = text;
    update();
}

void StatusBarWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
    int left = 0;
    for (int f = 0; f < shell::status::kFieldCount; ++f) {
        const int right = shell::StatusFieldEdges()[size_t(f)];
        const QRect panel(left, 2, right - left - 2, height() - 3);
        qDrawShadePanel(&p, panel, palette(), true, 1);
        const QRect inside = panel.adjusted(3, 0, -2, 0);
        p.setPen(palette().color(QPalette::WindowText));
        // Longer texts are cut at the field's edge, as the fields are fixed.
        p.save();
        p.setClipRect(inside);
        p.drawText(inside, Qt::AlignVCenter | Qt::AlignLeft, m_fields[size_t(f)]);
        p.restore();
        left = right;
    }
}

// ---- image area ----

ImageArea::ImageArea(shell::Editor& editor, shell::PointerTools& tools, QtHost& host, QWidget* parent)
    : QWidget(parent), m_editor(editor), m_tools(tools), m_host(host) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const qreal ratio = devicePixelRatioF();
    for (int k = 1; k <= shell::kToolCount; ++k) {
        m_released[size_t(k - 1)] = ToolButtonPicture(k, false, ratio);
        m_pressed[size_t(k - 1)] = ToolButtonPicture(k, true, ratio);
    }

    // Until the first document: an empty framed square at the top-left.
    m_placeholder = new QFrame(this);
    m_placeholder->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_placeholder->setGeometry(0, 0, 100, 100);

    m_label = new QLabel(this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFont(FittingFont(m_label->font(), {{Text(shell::Tool(6).label), shell::ToolLabelRect(6).width - 2},
                                                   {Text(shell::Tool(13).label), shell::ToolLabelRect(13).width - 2}}));
    m_label->setAutoFillBackground(true);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->hide();

    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {m_hbar, m_vbar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(1);
        bar->setPageStep(0);  // no page size: the thumb keeps its own size
        bar->setCursor(Qt::ArrowCursor);
        bar->hide();
    }
    connect(m_hbar, &QScrollBar::actionTriggered, this, [this](int a) { onScroll(shell::ScrollAxis::Horizontal, a); });
    connect(m_vbar, &QScrollBar::actionTriggered, this, [this](int a) { onScroll(shell::ScrollAxis::Vertical, a); });

    m_status = new StatusBarWidget(this);
    m_status->setCursor(Qt::ArrowCursor);
    m_status->hide();
}

void ImageArea::setStatusField(int field, const QString& text) {
    m_status->setField(field, text);
}

void ImageArea::syncBar(QScrollBar* bar, const shell::ScrollBarState& state, bool shown) {
    if (!shown) {
        bar->hide();
        return;
    }
    const QSignalBlocker block(bar);
    bar->setGeometry(state.bounds.x, state.bounds.y, state.bounds.width, state.bounds.height);
    bar->setRange(0, state.maximum);
    bar->setValue(state.position);
    bar->show();
}

void ImageArea::syncFromState() {
    const shell::EditorState& state = m_editor.state();
    const bool document = m_editor.hasDocument();
    m_placeholder->setVisible(!document);
    m_status->setVisible(document);
    if (document && state.palette.hovered != 0) {
        const int k = state.palette.hovered;
        const shell::Rect r = shell::ToolLabelRect(k);
        m_label->setText(Text(shell::Tool(k).label));
        m_label->setGeometry(r.x, r.y, r.width, r.height);
        m_label->show();
        m_label->raise();
    } else {
        m_label->hide();
    }
    // The preview has no bars, whatever the last layout said.
    const bool source = document && state.viewMode == shell::CommandId::SourceView;
    syncBar(m_hbar, state.layout.horizontal, source && state.layout.horizontal.present);
    syncBar(m_vbar, state.layout.vertical, source && state.layout.vertical.present);
    update(0, 0, shell::kPaletteWidth, shell::kPaletteHeight);
}

void ImageArea::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Background(*this));
    if (!m_editor.hasDocument()) {
        emit painted();
        return;
    }
    shell::EditorState& state = m_editor.state();
    const shell::PaintPlan plan = shell::PlanPaint(state, m_editor.document(), state.clientWidth, state.clientHeight);
    const QRect view(0, 0, state.clientWidth, state.clientHeight);
    PaintView(p, plan, m_editor.document(), event->rect() & view, m_route);
    // A line just outside the picture: a white picture on the white ground
    // shows where it ends. Never over the picture, the strip or the bars.
    const shell::Rect covered = shell::CoveredRect(plan, m_editor.document().width(), m_editor.document().height());
    if (!covered.empty()) {
        const QRect picture(covered.x, covered.y, covered.width, covered.height);
        p.save();
        p.setClipRect(QRect(plan.dest.x, plan.dest.y, plan.dest.width, plan.dest.height) & view);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(picture.adjusted(-1, -1, 0, 0));  // a 1-pixel frame around the picture's pixels
        p.restore();
    }
    // The palette strip over everything else.
    for (int k = 1; k <= shell::kToolCount; ++k) {
        const bool pressed = state.palette.chosen == k && state.palette.chosenPressed;
        p.drawPixmap(0, shell::kToolButtonSize * (k - 1),
                     pressed ? m_pressed[size_t(k - 1)] : m_released[size_t(k - 1)]);
    }
    emit painted();
}

void ImageArea::resizeEvent(QResizeEvent*) {
    shell::EditorState& state = m_editor.state();
    state.clientWidth = width();
    state.clientHeight = height() - shell::kStatusBarHeight;
    m_status->setGeometry(0, height() - shell::kStatusBarHeight, width(), shell::kStatusBarHeight);
    m_editor.relayout();
    syncFromState();
    update();
}

void ImageArea::routeMove(const QPoint& at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    // "The left button alone": no other button and neither Control nor Shift.
    const bool leftOnly = buttons == Qt::LeftButton && !(modifiers & (Qt::ControlModifier | Qt::ShiftModifier));
    switch (shell::MouseMove(m_editor, at.x(), at.y(), leftOnly, m_tools)) {
        case shell::PointerShape::Arrow:
            setCursor(Qt::ArrowCursor);
            break;
        case shell::PointerShape::Cross:
            setCursor(Qt::CrossCursor);
            break;
        case shell::PointerShape::Unchanged:
            break;
    }
    m_lastMove = at;
    syncFromState();
}

void ImageArea::mouseMoveEvent(QMouseEvent* event) {
    routeMove(event->position().toPoint(), event->buttons(), event->modifiers());
}

void ImageArea::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // Presses act at the last mapped position; map this one first if the
    // pointer arrived without a move (a touch, a synthetic click).
    if (at != m_lastMove) routeMove(at, event->buttons() & ~event->button(), event->modifiers());
    // A click may run a command (a palette button's dialog, a fill, a
    // segment chosen); the context menu pops up outside the scope, its
    // choice being a command of its own.
    std::optional<int> submenu;
    if (event->button() == Qt::LeftButton) {
        const CommandScope command(m_host);
        shell::LeftButtonDown(m_editor, at.x(), m_tools);
    } else if (event->button() == Qt::RightButton) {
        const CommandScope command(m_host);
        submenu = shell::RightButtonDown(m_editor, m_tools);
    }
    if (submenu) emit contextMenuRequested(*submenu, event->globalPosition().toPoint());
    syncFromState();
}

void ImageArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const CommandScope command(m_host);
        shell::LeftButtonUp(m_editor, m_tools);
    }
    syncFromState();
}

int ImageArea::VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
        case Qt::Key_Control:
            return shell::vk::Control;
        case Qt::Key_Shift:
            return shell::vk::Shift;
        case Qt::Key_Insert:
            return shell::vk::Insert;
        case Qt::Key_Delete:
            return shell::vk::Delete;
        default:
            break;
    }
    // Qt's codes of Latin letters and digits are their virtual-key codes.
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform == QLatin1String("wayland"))
        return LetterAtKeyboardPlace(event.nativeScanCode());
    return 0;
}

void ImageArea::keyPressEvent(QKeyEvent* event) {
    const int vk = VirtualKey(*event);
    const Qt::KeyboardModifiers mods = event->modifiers();
    shell::ReconcileModifiers(m_editor, (mods & Qt::ControlModifier) || vk == shell::vk::Control,
                              (mods & Qt::ShiftModifier) || vk == shell::vk::Shift);
    if (vk == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    {
        const CommandScope command(m_host);
        shell::HandleKeyDown(m_editor, vk);
    }
    syncFromState();
}

void ImageArea::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const int vk = VirtualKey(*event);
    if (vk) shell::HandleKeyUp(m_editor, vk);
    const Qt::KeyboardModifiers mods = event->modifiers();
    shell::ReconcileModifiers(m_editor, (mods & Qt::ControlModifier) && vk != shell::vk::Control,
                              (mods & Qt::ShiftModifier) && vk != shell::vk::Shift);
}

void ImageArea::focusInEvent(QFocusEvent* event) {
    shell::ResetModifiers(m_editor);
    QWidget::focusInEvent(event);
}

void ImageArea::focusOutEvent(QFocusEvent* event) {
    // A dialog, a popup menu or another window took the keyboard: the
    // release of a held Control or Shift will not come here.
    shell::ResetModifiers(m_editor);
    QWidget::focusOutEvent(event);
}

void ImageArea::zoomAt(const QPoint& at, int steps) {
    if (!shell::ZoomAt(m_editor, at.x(), at.y(), steps)) return;
    // The pointer now stands over the same pixel: its coordinates as before.
    routeMove(at, QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
    update();
}

void ImageArea::wheelEvent(QWheelEvent* event) {
    if (!m_editor.hasDocument()) return;
    const QPoint at = event->position().toPoint();
    const QPoint angle = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        // One level per notch (120 eighths of a degree); finer wheels add up.
        m_wheelZoom += angle.y() != 0 ? angle.y() : angle.x();
        const int steps = m_wheelZoom / 120;
        m_wheelZoom -= steps * 120;
        if (steps != 0) zoomAt(at, steps);
        event->accept();
        return;
    }
    // Screen pixels to move: a touchpad says, a wheel moves the desktop's
    // lines per notch, 20 pixels each. Down and right are forward.
    QPoint pixels = event->pixelDelta();
    if (pixels.isNull()) pixels = angle * QApplication::wheelScrollLines() * 20 / 120;
    int along = -pixels.y();
    int across = -pixels.x();
    // Some platforms turn Shift+wheel sideways themselves.
    if ((event->modifiers() & Qt::ShiftModifier) && pixels.x() == 0) std::swap(along, across);
    shell::EditorState& state = m_editor.state();
    if (state.viewMode != shell::CommandId::SourceView) return;
    auto image = [&](int screen) {
        const int n = shell::SourceLength(state.zoomIndex, std::abs(screen));
        return screen < 0 ? -std::max(n, 1) : screen > 0 ? std::max(n, 1) : 0;
    };
    bool moved = shell::ScrollBy(state.layout, shell::ScrollAxis::Vertical, image(along));
    moved = shell::ScrollBy(state.layout, shell::ScrollAxis::Horizontal, image(across)) || moved;
    if (moved) {
        syncFromState();
        const shell::Rect r = state.layout.repaint;
        update(r.x, r.y, r.width, r.height);
        routeMove(at, event->buttons(), event->modifiers());
    }
    event->accept();
}

bool ImageArea::event(QEvent* event) {
    if (event->type() != QEvent::NativeGesture) return QWidget::event(event);
    const auto* gesture = static_cast<QNativeGestureEvent*>(event);
    if (gesture->gestureType() == Qt::BeginNativeGesture) m_pinch = 0;
    if (gesture->gestureType() == Qt::ZoomNativeGesture && m_editor.hasDocument()) {
        // value() is the change of scale since the last event (0.1: 10%
        // larger); a level is reached after a third of the way to the next
        // (levels are 1.5 to 2 apart).
        m_pinch += gesture->value();
        constexpr double kStep = 0.35;
        const int steps = int(m_pinch / kStep);
        if (steps != 0) {
            m_pinch -= steps * kStep;
            zoomAt(gesture->position().toPoint(), steps);
        }
    }
    event->accept();
    return true;
}

void ImageArea::onScroll(shell::ScrollAxis axis, int action) {
    QScrollBar* bar = axis == shell::ScrollAxis::Horizontal ? m_hbar : m_vbar;
    shell::ScrollAction what = shell::ScrollAction::Other;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            what = shell::ScrollAction::LineBack;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            what = shell::ScrollAction::LineForward;
            break;
        case QAbstractSlider::SliderMove:
            what = shell::ScrollAction::ThumbTrack;
            break;
        default:
            break;  // page steps and jumps do nothing
    }
    shell::ViewLayout& layout = m_editor.state().layout;
    const bool changed = shell::Scroll(layout, axis, what, bar->sliderPosition());
    const shell::ScrollBarState& state = axis == shell::ScrollAxis::Horizontal ? layout.horizontal : layout.vertical;
    bar->setSliderPosition(state.position);
    if (changed) {
        const shell::Rect r = layout.repaint;
        update(r.x, r.y, r.width, r.height);
    }
}

}  // namespace zorva::platform
