#include "app/tool_icons.h"

#include <QPainter>
#include <cmath>
#include <QPainterPath>
#include <QPixmap>

namespace zep4 {
namespace {

const QColor kInk(40, 50, 70);
const QColor kBlue(40, 110, 200);
const QColor kGreen(30, 150, 70);
const QColor kRed(200, 50, 40);
const QColor kYellow(240, 190, 60);

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head{to + d * 2, to - d * 6 + n * 5, to - d * 6 - n * 5};
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void sensorBox(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(220, 225, 235));
    p.drawRoundedRect(QRectF(3, 20, 26, 9), 2, 2);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(8, 24.5), 1.5, 1.5);
}

void draw(QPainter& p, ToolIcon kind) {
    switch (kind) {
    case ToolIcon::Open: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kYellow.darker(110));
        p.drawRect(QRectF(3, 8, 12, 4));
        p.drawRect(QRectF(3, 11, 26, 17));
        p.setBrush(kYellow);
        p.drawPolygon(QPolygonF{{6, 15}, {31, 15}, {27, 28}, {3, 28}});
        break;
    }
    case ToolIcon::Save: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 210, 225));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    }
    case ToolIcon::Transmit:
        sensorBox(p);
        arrow(p, {16, 2}, {16, 15}, kBlue);
        break;
    case ToolIcon::Receive:
        sensorBox(p);
        arrow(p, {16, 15}, {16, 2}, kGreen);
        break;
    case ToolIcon::Connection:
    case ToolIcon::Disconnect: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(220, 225, 235));
        p.drawRect(QRectF(2, 6, 12, 9));
        p.drawRect(QRectF(18, 17, 12, 9));
        p.setPen(QPen(kind == ToolIcon::Connection ? kGreen : kInk, 2.5));
        p.drawLine(QPointF(8, 15), QPointF(8, 22));
        p.drawLine(QPointF(8, 22), QPointF(18, 22));
        if (kind == ToolIcon::Disconnect) {
            p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(19, 3), QPointF(29, 13));
            p.drawLine(QPointF(29, 3), QPointF(19, 13));
        }
        break;
    }
    case ToolIcon::Preview: {
        p.setPen(QPen(kInk, 1.5));
        for (int i = 0; i < 4; ++i) {
            p.setBrush(i % 3 == 0 ? kBlue.lighter(140) : kGreen.lighter(150));
            p.drawRect(QRectF(3 + (i % 2) * 14, 4 + (i / 2) * 12, 12, 10));
        }
        break;
    }
    case ToolIcon::Editor: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(30, 40, 60));
        p.drawRect(QRectF(3, 5, 26, 20));
        p.setPen(QPen(kRed, 1));
        p.setBrush(QColor(200, 50, 40, 120));
        p.drawRect(QRectF(7, 9, 12, 10));
        p.setPen(QPen(QColor(255, 255, 255, 90), 0.8));
        for (int x = 7; x < 29; x += 4) p.drawLine(QPointF(x, 5), QPointF(x, 25));
        p.setPen(QPen(kYellow, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 28), QPointF(29, 17));
        break;
    }
    case ToolIcon::TimeZones: {
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 16), 12, 12);
        p.drawLine(QPointF(16, 16), QPointF(16, 8));
        p.drawLine(QPointF(16, 16), QPointF(22, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        QPainterPath sector;
        sector.moveTo(16, 16);
        sector.arcTo(QRectF(6, 6, 20, 20), 90, -90);
        sector.closeSubpath();
        p.setOpacity(0.35);
        p.drawPath(sector);
        break;
    }
    case ToolIcon::Copy: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(230, 235, 245));
        p.drawRect(QRectF(4, 3, 15, 19));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(12, 10, 15, 19));
        p.setPen(QPen(kBlue, 1.5));
        for (int y = 15; y < 27; y += 4) p.drawLine(QPointF(15, y), QPointF(24, y));
        break;
    }
    case ToolIcon::Dome: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(200, 205, 215));
        p.drawRect(QRectF(5, 4, 22, 4));
        p.setBrush(QColor(60, 70, 90));
        p.drawChord(QRectF(7, -2, 18, 24), 180 * 16, 180 * 16);
        p.setBrush(kBlue.lighter(130));
        p.drawEllipse(QPointF(16, 15), 3, 3);
        p.setPen(QPen(kGreen, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 12, 24, 18), 200 * 16, 140 * 16);
        break;
    }
    case ToolIcon::Password: {
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(10, 16), 7, 7);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 16), 2, 2);
        p.setPen(QPen(kYellow.darker(150), 3));
        p.drawLine(QPointF(17, 16), QPointF(29, 16));
        p.drawLine(QPointF(25, 16), QPointF(25, 21));
        p.drawLine(QPointF(29, 16), QPointF(29, 20));
        break;
    }
    }
}

}  // namespace

QIcon MakeToolIcon(ToolIcon kind) {
    QIcon icon;
    for (int size : {32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p, kind);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace zep4
