#include "ui/gfader.h"

#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdint>

namespace zep4 {
namespace {

constexpr int kThumbWidth = 9;
constexpr int kTrackHeight = 16;
constexpr int kMarkHeight = 4;
constexpr int kMarks = 10;  // intervals between the scale marks of a long range

QFont smallFont(const QFont& font) {
    QFont f = font;
    if (f.pointSizeF() > 0) f.setPointSizeF(std::max(6.0, f.pointSizeF() - 1.0));
    else if (f.pixelSize() > 0) f.setPixelSize(std::max(8, f.pixelSize() - 1));
    return f;
}

}  // namespace

GFader::GFader(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setTracking(true);
    setSingleStep(1);
    setPageStep(10);
    setAttribute(Qt::WA_Hover);
}

GFader::GFader(const QString& name, QWidget* parent) : GFader(parent) { setObjectName(name); }

void GFader::setMinimum(int minimum) { setRange(minimum, std::max(minimum, maximum())); }

void GFader::setMaximum(int maximum) { setRange(minimum(), maximum); }

// The base class keeps the minimum when the maximum lies below it: the range is then the
// minimum alone.
void GFader::setRange(int minimum, int maximum) { QAbstractSlider::setRange(minimum, std::max(minimum, maximum)); }

void GFader::setRampColour(const QColor& colour) {
    if (rampColour_ == colour) return;
    rampColour_ = colour;
    update();
}

void GFader::setCaption(const QString& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    setAccessibleName(caption);
    updateGeometry();
    update();
}

void GFader::setEndLabels(const QString& atMinimum, const QString& atMaximum) {
    minLabel_ = atMinimum;
    maxLabel_ = atMaximum;
    updateGeometry();
    update();
}

void GFader::setMarksReversed(bool reversed) {
    marksReversed_ = reversed;
    update();
}

int GFader::captionHeight() const { return caption_.isEmpty() ? 0 : fontMetrics().height(); }

int GFader::labelHeight() const {
    if (minLabel_.isEmpty() && maxLabel_.isEmpty()) return 0;
    return QFontMetrics(smallFont(font())).height();
}

QSize GFader::sizeHint() const {
    return {200, captionHeight() + kMarkHeight + kTrackHeight + 4 + labelHeight()};
}

QSize GFader::minimumSizeHint() const { return {60, kTrackHeight + 4}; }

QRect GFader::trackRect() const {
    const int top = captionHeight() + (marksReversed_ ? kMarkHeight : 0) + 2;
    const int half = kThumbWidth / 2 + 1;
    return {half, top, std::max(1, width() - 2 * half), kTrackHeight};
}

int GFader::positionOf(int value) const {
    const QRect t = trackRect();
    const int64_t span = int64_t(maximum()) - minimum();
    if (span <= 0) return t.left();
    return t.left() + int((int64_t(value) - minimum()) * (t.width() - 1) / span);
}

int GFader::valueAt(int x) const {
    const QRect t = trackRect();
    const int64_t span = int64_t(maximum()) - minimum();
    if (span <= 0 || t.width() <= 1) return minimum();
    const int64_t offset = std::clamp<int64_t>(x - t.left(), 0, t.width() - 1);
    const int64_t v = minimum() + (offset * span * 2 + (t.width() - 1)) / (2 * int64_t(t.width() - 1));
    return int(std::clamp<int64_t>(v, minimum(), maximum()));
}

void GFader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const QPalette& pal = palette();
    const QColor ink = pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);

    if (!caption_.isEmpty()) {
        p.setPen(ink);
        p.drawText(QRect(0, 0, width(), captionHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(caption_, Qt::ElideRight, width()));
    }

    const QRect t = trackRect();
    // The ramp: a wedge rising from the minimum to the maximum, filled up to the value.
    QPainterPath wedge;
    wedge.moveTo(t.left(), t.bottom());
    wedge.lineTo(t.right(), t.bottom());
    wedge.lineTo(t.right(), t.top() + 1);
    wedge.closeSubpath();
    p.setPen(QPen(pal.color(QPalette::Mid), 1));
    p.setBrush(pal.color(QPalette::Base));
    p.drawPath(wedge);

    const int thumb = positionOf(value());
    const QColor ramp = enabled ? rampColour_ : pal.color(QPalette::Disabled, QPalette::WindowText);
    QLinearGradient fill(t.left(), 0, t.right(), 0);
    fill.setColorAt(0, ramp.lighter(170));
    fill.setColorAt(1, ramp);
    p.save();
    p.setClipRect(QRect(t.left(), t.top(), thumb - t.left() + 1, t.height() + 1));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(wedge);
    p.restore();

    // Scale marks below the ramp, or above it when reversed.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(pal.color(QPalette::Dark), 1));
    // A mark for every value of a short range, else ten intervals.
    const int64_t span = int64_t(maximum()) - minimum();
    const int marks = span >= 1 && span <= kMarks ? int(span) : kMarks;
    for (int i = 0; i <= marks; ++i) {
        const int x = t.left() + (t.width() - 1) * i / marks;
        const bool long_ = i == 0 || i == marks || (marks == kMarks && i == kMarks / 2);
        const int length = long_ ? kMarkHeight : kMarkHeight - 2;
        if (marksReversed_) p.drawLine(x, t.top() - 1, x, t.top() - length);
        else p.drawLine(x, t.bottom() + 2, x, t.bottom() + 1 + length);
    }

    // The thumb.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF knob(thumb - kThumbWidth / 2.0, t.top() - 2, kThumbWidth, t.height() + 3);
    p.setPen(QPen(enabled ? QColor(60, 60, 60) : pal.color(QPalette::Mid), 1));
    p.setBrush(isSliderDown() ? pal.color(QPalette::Midlight) : pal.color(QPalette::Button));
    p.drawRoundedRect(knob, 2, 2);
    p.drawLine(QPointF(thumb, knob.top() + 3), QPointF(thumb, knob.bottom() - 3));

    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, t.top() - 3, width() - 1, t.height() + 6));
    }

    if (labelHeight() > 0) {
        p.setFont(smallFont(font()));
        p.setPen(ink);
        const QRect row(0, height() - labelHeight(), width(), labelHeight());
        p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, minLabel_);
        p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, maxLabel_);
    }
}

void GFader::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || maximum() == minimum()) {
        event->ignore();
        return;
    }
    event->accept();
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().toPoint().x()));
    update();
}

void GFader::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().toPoint().x()));
}

void GFader::mouseReleaseEvent(QMouseEvent* event) {
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().toPoint().x()));
    setSliderDown(false);
    update();
}

void GFader::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    QAbstractSlider::changeEvent(event);
}

}  // namespace zep4
