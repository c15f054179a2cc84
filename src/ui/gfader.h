// GFader: the fader of the program's windows. A horizontal slider with a minimum, a maximum
// and an integer value, drawn as a ramp that fills in its ramp colour up to the value, with a
// caption line above it and a label at each end below it.
//
// A minimum above the maximum makes the maximum equal to the minimum, whichever is set last:
// the fader then has the single value of its minimum. Setting the value, the minimum or the
// maximum places the value inside the range and reports a change with valueChanged, as a
// move by the user does.
//
// Keyboard: arrows and Page Up / Page Down step the value, Home and End go to the ends. The
// mouse drags the thumb or jumps it to the place clicked; sliderReleased ends a drag.
#pragma once

#include <QAbstractSlider>
#include <QColor>
#include <QString>

namespace zep4 {

class GFader : public QAbstractSlider {
    Q_OBJECT
public:
    explicit GFader(QWidget* parent = nullptr);
    GFader(const QString& name, QWidget* parent);

    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);

    QColor rampColour() const { return rampColour_; }
    void setRampColour(const QColor& colour);

    // The line above the ramp (empty: none).
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // The labels under the ends of the ramp, at the minimum and at the maximum.
    QString minLabel() const { return minLabel_; }
    QString maxLabel() const { return maxLabel_; }
    void setEndLabels(const QString& atMinimum, const QString& atMaximum);

    // Scale marks above the ramp instead of below it.
    bool marksReversed() const { return marksReversed_; }
    void setMarksReversed(bool reversed);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect trackRect() const;
    int valueAt(int x) const;
    int positionOf(int value) const;
    int captionHeight() const;
    int labelHeight() const;

    QColor rampColour_{0, 128, 0};
    QString caption_;
    QString minLabel_;
    QString maxLabel_;
    bool marksReversed_ = false;
};

}  // namespace zep4
