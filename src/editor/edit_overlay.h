// The layers of the editor's picture: the picture itself (Image1), the transparent paint layers
// over it (PaintBox1, PaintBox2) that hand their paint and mouse events to the editor window,
// the rectangle shapes that lie on the edit overlay, and the edit overlay's paint pass.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>
#include <functional>
#include <span>

#include "editor/cell_tools.h"

namespace zep4 {

class TSetupStore;

// The camera picture as the editor shows it, drawn unscaled at the widget's top left.
class TImageBox : public QWidget {
    Q_OBJECT
public:
    TImageBox(const QString& name, QWidget* parent);
    const QImage& image() const { return image_; }
    // The picture drawn stretched to the box's size.
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// A transparent layer the size of the picture. The owner paints it through onPaint and gets
// its mouse events as signals (positions in picture pixels). Fast second clicks, which Qt
// reports as double clicks, arrive as presses.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    TPaintBox(const QString& name, QWidget* parent);
    std::function<void(QPainter&)> onPaint;

signals:
    void mouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint pos);
    void mouseMove(Qt::MouseButtons buttons, QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A rectangle shape on the picture (the object segment, the perspective rectangles): an
// outline in its pen over a fill in its brush, combined with the picture under it by its
// composition mode (a raster operation when the design asks for a pen mode). It reports mouse
// presses unless it is made transparent for the mouse.
class TShape : public QWidget {
    Q_OBJECT
public:
    TShape(const QString& name, QWidget* parent);
    const QPen& pen() const { return pen_; }
    void setPen(const QPen& pen);
    const QBrush& brush() const { return brush_; }
    void setBrush(const QBrush& brush);
    void setCompositionMode(QPainter::CompositionMode mode);

signals:
    void mouseDown();
    // Moved or resized (the guide lines between the shapes follow).
    void geometryChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPen pen_;
    QBrush brush_;
    QPainter::CompositionMode mode_ = QPainter::CompositionMode_SourceOver;
};

// The colour of area 0..3: red, lime, blue, yellow; any other area shows as area 0.
QColor AreaColourOf(int area);

// What the edit overlay shows, taken from the editor's state.
struct TEditOverlayView {
    bool pictureActive = false;   // a picture transfer runs: nothing is painted
    bool escCancelled = false;    // Esc dropped the gesture: nothing is painted
    bool showAlarmArea = false;   // "Show alarm area" down: cell dots are drawn
    bool showAllAreas = false;    // "Show area 1...4" down: the other areas' dots too
    QColor areaColour = Qt::red;
    QColor drawColour = Qt::red;
    int tool = -1;                // 0 rectangle, 1 polygon, -1 none
    bool mouseIsDown = false;
    TDragRect dragRect{};
    std::span<const TPixelPoint> rubberBand;      // polygon vertices and the live pointer
    std::span<const TPixelPoint> closingPolygon;  // a polygon just closed, filled once
    bool perspectiveShown = false;
    QRect frontShape;             // the perspective rectangles, for the guide lines; no lines
    QRect backShape;              // while either is null (not placed)
};

// The edit overlay's paint pass. The cell dots of all areas go into a layer image of the
// picture's size, written pixel by pixel and drawn in one go, so that a full grid stays cheap.
class TEditOverlayPass {
public:
    TEditOverlayPass();

    // In order: the all-areas layer, the current area's layer (CellCount of the current area
    // is recounted on every pass, shown or not), the perspective guide lines, the fill of a
    // polygon just closed, the rubber band. Returns false when nothing was painted.
    bool paint(QPainter& painter, TSetupStore& store, const TEditOverlayView& view);

private:
    void dot(int column, int row, QRgb colour);
    QImage layer_;
    bool layerDirty_ = true;
};

}  // namespace zep4
