// TStretchHandle: lets the user move and resize another widget with the mouse. Attached to a
// widget (a sibling with the same parent), it lies over that widget, shows eight grips on its
// edges and follows it when code moves it. Dragging inside moves the widget, dragging a grip
// moves that edge or corner; positions and sizes snap to the handle's grid (relative to the
// parent's origin) and stay inside the parent. Releasing the mouse reports mouseUp, after which
// the owner reads the widget's new geometry.
//
// Keyboard: with the focus on the handle, the arrow keys move the widget by one grid step and
// Shift with the arrows moves its right or bottom edge; each key reports mouseUp as a release
// does.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace zep4 {

class TStretchHandle : public QWidget {
    Q_OBJECT
public:
    TStretchHandle(const QString& name, QWidget* parent);

    // Binds the handle to `target` (a child of the handle's parent) and shows it over it.
    void Attach(QWidget* target);
    // Unbinds and hides the handle.
    void Detach();
    QWidget* target() const { return target_; }

    // Grid in pixels, at least 1 x 1.
    QSize grid() const { return grid_; }
    void setGrid(QSize grid);

    // Half the size of a grip: the handle reaches this far beyond the widget on every side.
    static constexpr int kGripMargin = 3;

signals:
    void mouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Which edges a drag moves: bits of left, top, right, bottom; all four for a move.
    enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kMove = 15 };
    int edgesAt(QPoint pos) const;
    QRect gripRect(int edges) const;
    void follow();
    int snap(int v, int step) const;
    QRect dragged(QPoint delta) const;
    void place(const QRect& r);

    QPointer<QWidget> target_;
    QSize grid_{1, 1};
    int dragEdges_ = 0;
    QPoint pressAt_;     // in the parent's coordinates
    QRect pressGeometry_;
};

}  // namespace zep4
