#include "editor/edit_overlay.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "setup/setup_store.h"

namespace zep4 {

// ---------------------------------------------------------------------------------------------

TImageBox::TImageBox(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageBox::setImage(const QImage& image) {
    const QSize size = this->size().isEmpty() ? QSize(kPictureWidth, kPictureHeight) : this->size();
    if (image.isNull()) {
        image_ = QImage(size, QImage::Format_RGB32);
        image_.fill(Qt::black);
    } else if (image.size() == size) {
        image_ = image.convertToFormat(QImage::Format_RGB32);
    } else {
        image_ = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    }
    update();
}

void TImageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!image_.isNull()) p.drawImage(0, 0, image_);
}

// ---------------------------------------------------------------------------------------------

TPaintBox::TPaintBox(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    // The polygon's rubber band follows the pointer between clicks, with no button held.
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent*) {
    if (!onPaint) return;
    QPainter p(this);
    onPaint(p);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button(), event->buttons(), event->position().toPoint());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) { emit mouseMove(event->buttons(), event->position().toPoint()); }

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event->button(), event->buttons(), event->position().toPoint());
}

// ---------------------------------------------------------------------------------------------

TShape::TShape(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    hide();
}

void TShape::setPen(const QPen& pen) {
    pen_ = pen;
    update();
}

void TShape::setBrush(const QBrush& brush) {
    brush_ = brush;
    update();
}

void TShape::setCompositionMode(QPainter::CompositionMode mode) {
    mode_ = mode;
    update();
}

// The outline lies inside the widget: a pen of width w is inset by w / 2 on every side.
void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(mode_);
    const qreal inset = pen_.style() == Qt::NoPen ? 0.0 : std::max<qreal>(1.0, pen_.widthF()) / 2.0;
    p.setPen(pen_);
    p.setBrush(brush_);
    p.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void TShape::mousePressEvent(QMouseEvent* event) {
    emit mouseDown();
    QWidget::mousePressEvent(event);
}

void TShape::moveEvent(QMoveEvent*) { emit geometryChanged(); }

void TShape::resizeEvent(QResizeEvent*) { emit geometryChanged(); }

// ---------------------------------------------------------------------------------------------

QColor AreaColourOf(int area) {
    switch (area) {
    case 1: return QColor(0, 255, 0);
    case 2: return QColor(0, 0, 255);
    case 3: return QColor(255, 255, 0);
    default: return QColor(255, 0, 0);
    }
}

namespace {

// The pixels of a cell dot, relative to the top left of its 3 x 3 box: the platform's
// ellipse of that size, a plus.
constexpr int kDotPixels[5][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}};

}  // namespace

TEditOverlayPass::TEditOverlayPass()
    : layer_(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied) {
    layer_.fill(Qt::transparent);
    layerDirty_ = false;
}

// The dot of cell (column, row) in the box from (trunc(8 column + 2), trunc(7.5 row + 1)) to
// (trunc(8 column + 5), trunc(7.5 row + 4)), right and bottom edges excluded.
void TEditOverlayPass::dot(int column, int row, QRgb colour) {
    const int x0 = TruncToInt(kCellWidth * column + 2);
    const int y0 = TruncToInt(kCellHeight * row + 1);
    for (const auto& d : kDotPixels) {
        const int x = x0 + d[0];
        const int y = y0 + d[1];
        if (x >= 0 && x < layer_.width() && y >= 0 && y < layer_.height())
            reinterpret_cast<QRgb*>(layer_.scanLine(y))[x] = colour;
    }
    layerDirty_ = true;
}

bool TEditOverlayPass::paint(QPainter& p, TSetupStore& store, const TEditOverlayView& view) {
    if (view.pictureActive || view.escCancelled) return false;
    if (layerDirty_) {
        layer_.fill(Qt::transparent);
        layerDirty_ = false;
    }

    const bool selectionValid = ValidSelection(store);
    // All areas, area 0 first, when both show buttons are down.
    if (selectionValid && view.showAllAreas && view.showAlarmArea) {
        const TCameraSetup& camera = store.currentCamera();
        for (int area = 0; area < kAreas; ++area) {
            const QRgb colour = AreaColourOf(area).rgba();
            const TCellGrid& grid = camera.Areas[area].Cells;
            for (int column = 0; column < kCellColumns; ++column)
                for (int row = 0; row < kCellRows; ++row)
                    if (grid.at(row, column) != 0) dot(column, row, colour);
        }
    }
    // The current area: counted always, drawn when "Show alarm area" is down.
    RecountCellCount(store);
    if (selectionValid && view.showAlarmArea) {
        const TCellGrid& grid = store.currentArea().Cells;
        const QRgb colour = view.areaColour.rgba();
        for (int column = 0; column < kCellColumns; ++column)
            for (int row = 0; row < kCellRows; ++row)
                if (grid.at(row, column) != 0) dot(column, row, colour);
    }
    if (layerDirty_) p.drawImage(0, 0, layer_);

    // Perspective guide lines, joining the corresponding corners of the two rectangles; each
    // line inverts the pixels under it so that it shows on any picture.
    if (view.perspectiveShown && !view.frontShape.isNull() && !view.backShape.isNull()) {
        const QRect& f = view.frontShape;
        const QRect& b = view.backShape;
        p.save();
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawLine(f.left(), f.top(), b.left(), b.top());
        p.drawLine(f.left() + f.width(), f.top(), b.left() + b.width(), b.top());
        p.drawLine(f.left() + f.width(), f.top() + f.height(), b.left() + b.width(), b.top() + b.height());
        p.drawLine(f.left(), f.top() + f.height(), b.left(), b.top() + b.height());
        p.restore();
    }

    // A polygon just closed: its fill, in the colour of the gesture, for the user to see. The
    // cells it covers were decided from its own mask, not from these pixels.
    if (!view.closingPolygon.empty()) {
        QPolygon ring;
        for (const TPixelPoint& v : view.closingPolygon) ring << QPoint(v.x, v.y);
        p.setPen(QPen(view.drawColour, 1));
        p.setBrush(view.drawColour);
        p.drawPolygon(ring, Qt::OddEvenFill);
    }

    // Rubber band.
    if (view.tool == 1 && view.mouseIsDown && view.rubberBand.size() > 1) {
        QPolygon line;
        for (const TPixelPoint& v : view.rubberBand) line << QPoint(v.x, v.y);
        p.setPen(QPen(view.drawColour, 1));
        p.setBrush(view.drawColour);
        p.drawPolyline(line);
    } else if (view.tool == 0 && view.mouseIsDown) {
        // The outline covers left .. right - 1 and top .. bottom - 1.
        const TDragRect& r = view.dragRect;
        const int x0 = std::min(r.left, r.right);
        const int x1 = std::max(r.left, r.right);
        const int y0 = std::min(r.top, r.bottom);
        const int y1 = std::max(r.top, r.bottom);
        p.setPen(QPen(view.drawColour, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(x0, y0, std::max(0, x1 - x0 - 1), std::max(0, y1 - y0 - 1));
    }
    return true;
}

}  // namespace zep4
