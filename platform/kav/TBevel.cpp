#include "TBevel.h"

#include <QPainter>

TBevel::TBevel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TBevel::setShape(BevelShape shape)
{
    m_shape = shape;
    update();
}

void TBevel::setBevelStyle(BevelStyle style)
{
    m_style = style;
    update();
}

void TBevel::paintEvent(QPaintEvent*)
{
    if (m_shape == bsSpacer)
        return;
    QPainter painter(this);
    // A lowered edge is a dark line with a light one below or right of it; raised, the reverse.
    const QColor first =
        m_style == bsLowered ? palette().color(QPalette::Dark) : palette().color(QPalette::Light);
    const QColor second =
        m_style == bsLowered ? palette().color(QPalette::Light) : palette().color(QPalette::Dark);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    auto line = [&painter](const QColor& color, QPoint from, QPoint to) {
        painter.setPen(color);
        painter.drawLine(from, to);
    };
    switch (m_shape) {
    case bsTopLine:
        line(first, r.topLeft(), r.topRight());
        line(second, r.topLeft() + QPoint(0, 1), r.topRight() + QPoint(0, 1));
        break;
    case bsBottomLine:
        line(first, r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        line(second, r.bottomLeft(), r.bottomRight());
        break;
    case bsLeftLine:
        line(first, r.topLeft(), r.bottomLeft());
        line(second, r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
        break;
    case bsRightLine:
        line(first, r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        line(second, r.topRight(), r.bottomRight());
        break;
    case bsFrame:
        painter.setPen(first);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(second);
        painter.drawRect(r.adjusted(1, 1, 0, 0));
        break;
    case bsBox:
        line(first, r.topLeft(), r.topRight());
        line(first, r.topLeft(), r.bottomLeft());
        line(second, r.bottomLeft(), r.bottomRight());
        line(second, r.topRight(), r.bottomRight());
        break;
    case bsSpacer:
        break;
    }
}
