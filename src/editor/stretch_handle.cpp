#include "editor/stretch_handle.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace zep4 {
namespace {

Qt::CursorShape cursorFor(int edges) {
    switch (edges) {
    case 1 | 2:
    case 4 | 8: return Qt::SizeFDiagCursor;
    case 4 | 2:
    case 1 | 8: return Qt::SizeBDiagCursor;
    case 1:
    case 4: return Qt::SizeHorCursor;
    case 2:
    case 8: return Qt::SizeVerCursor;
    default: return Qt::SizeAllCursor;
    }
}

}  // namespace

TStretchHandle::TStretchHandle(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    hide();
}

void TStretchHandle::setGrid(QSize grid) { grid_ = QSize(std::max(1, grid.width()), std::max(1, grid.height())); }

void TStretchHandle::Attach(QWidget* target) {
    if (target_ && target_ != target) target_->removeEventFilter(this);
    target_ = target;
    dragEdges_ = 0;
    if (!target_ || target_->parentWidget() != parentWidget()) {
        target_ = nullptr;
        hide();
        return;
    }
    target_->installEventFilter(this);
    follow();
    setVisible(target_->isVisible());
    raise();
}

void TStretchHandle::Detach() {
    if (target_) target_->removeEventFilter(this);
    target_ = nullptr;
    dragEdges_ = 0;
    hide();
}

void TStretchHandle::follow() {
    if (!target_) return;
    setGeometry(target_->geometry().adjusted(-kGripMargin, -kGripMargin, kGripMargin, kGripMargin));
    update();
}

bool TStretchHandle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize: follow(); break;
        case QEvent::Show:
            follow();
            show();
            raise();
            break;
        case QEvent::Hide: hide(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The grip of an edge or corner, in the handle's coordinates: a square of 2 x kGripMargin + 1
// pixels centred on the widget's edge.
QRect TStretchHandle::gripRect(int edges) const {
    const int w = width() - 2 * kGripMargin - 1;
    const int h = height() - 2 * kGripMargin - 1;
    const int x = (edges & kLeft) ? 0 : (edges & kRight) ? w : w / 2;
    const int y = (edges & kTop) ? 0 : (edges & kBottom) ? h : h / 2;
    return {x, y, 2 * kGripMargin + 1, 2 * kGripMargin + 1};
}

int TStretchHandle::edgesAt(QPoint pos) const {
    static constexpr int grips[] = {kLeft | kTop, kRight | kTop, kRight | kBottom, kLeft | kBottom,
                                    kTop,         kRight,        kBottom,          kLeft};
    for (int edges : grips)
        if (gripRect(edges).contains(pos)) return edges;
    return kMove;
}

int TStretchHandle::snap(int v, int step) const {
    if (step <= 1) return v;
    const int64_t half = step / 2;
    const int64_t shifted = int64_t(v) + half;
    const int64_t floorDiv = shifted >= 0 ? shifted / step : -((-shifted + step - 1) / step);
    return int(floorDiv * step);
}

QRect TStretchHandle::dragged(QPoint delta) const {
    const QWidget* area = parentWidget();
    const int pw = area ? area->width() : 0;
    const int ph = area ? area->height() : 0;
    const int gx = grid_.width();
    const int gy = grid_.height();
    int left = pressGeometry_.x();
    int top = pressGeometry_.y();
    int right = left + pressGeometry_.width();
    int bottom = top + pressGeometry_.height();

    if (dragEdges_ == kMove) {
        const int w = right - left;
        const int h = bottom - top;
        // The last grid place at which the widget still fits into the parent.
        const int maxLeft = std::max(0, (pw - w) / gx * gx);
        const int maxTop = std::max(0, (ph - h) / gy * gy);
        left = std::clamp(snap(left + delta.x(), gx), 0, maxLeft);
        top = std::clamp(snap(top + delta.y(), gy), 0, maxTop);
        return {left, top, w, h};
    }
    if (dragEdges_ & kLeft) left = std::clamp(snap(left + delta.x(), gx), 0, right);
    if (dragEdges_ & kRight) right = std::clamp(snap(right + delta.x(), gx), left, std::max(left, pw));
    if (dragEdges_ & kTop) top = std::clamp(snap(top + delta.y(), gy), 0, bottom);
    if (dragEdges_ & kBottom) bottom = std::clamp(snap(bottom + delta.y(), gy), top, std::max(top, ph));
    return {left, top, right - left, bottom - top};
}

void TStretchHandle::place(const QRect& r) {
    if (target_ && target_->geometry() != r) target_->setGeometry(r);
}

void TStretchHandle::mousePressEvent(QMouseEvent* event) {
    if (!target_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    dragEdges_ = edgesAt(event->position().toPoint());
    pressAt_ = mapToParent(event->position().toPoint());
    pressGeometry_ = target_->geometry();
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TStretchHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!dragEdges_) {
        setCursor(cursorFor(edgesAt(event->position().toPoint())));
        return;
    }
    place(dragged(mapToParent(event->position().toPoint()) - pressAt_));
}

void TStretchHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragEdges_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    place(dragged(mapToParent(event->position().toPoint()) - pressAt_));
    dragEdges_ = 0;
    emit mouseUp();
}

void TStretchHandle::keyPressEvent(QKeyEvent* event) {
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left: step = {-grid_.width(), 0}; break;
    case Qt::Key_Right: step = {grid_.width(), 0}; break;
    case Qt::Key_Up: step = {0, -grid_.height()}; break;
    case Qt::Key_Down: step = {0, grid_.height()}; break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (!target_ || dragEdges_) return;
    const bool resize = event->modifiers().testFlag(Qt::ShiftModifier);
    dragEdges_ = resize ? (step.x() != 0 ? kRight : kBottom) : kMove;
    pressGeometry_ = target_->geometry();
    place(dragged(step));
    dragEdges_ = 0;
    emit mouseUp();
}

void TStretchHandle::paintEvent(QPaintEvent*) {
    if (!target_) return;
    QPainter p(this);
    if (hasFocus()) {
        p.setPen(QPen(Qt::white, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(kGripMargin, kGripMargin, -kGripMargin - 1, -kGripMargin - 1));
    }
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    static constexpr int grips[] = {kLeft | kTop, kTop, kRight | kTop, kRight, kRight | kBottom, kBottom, kLeft | kBottom, kLeft};
    for (int edges : grips)
        p.drawRect(gripRect(edges).adjusted(0, 0, -1, -1));
}

}  // namespace zep4
