#include "SearchGlyph.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace Kav {

namespace {
// Proportions of the glyph, as fractions of its side.
constexpr qreal kLensCentre = 0.40;
constexpr qreal kLensRadius = 0.26;
constexpr qreal kHandleEnd = 0.88;
constexpr qreal kLensPen = 0.11;
constexpr qreal kHandlePen = 0.16;
} // namespace

QIcon searchGlyph(int side)
{
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor colour = QApplication::palette().color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        const QPointF centre(side * kLensCentre, side * kLensCentre);
        const qreal radius = side * kLensRadius;
        // The handle starts where the lens rim meets the diagonal.
        const qreal rim = kLensCentre * side + radius * M_SQRT1_2;
        painter.setPen(QPen(colour, side * kHandlePen, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(rim, rim), QPointF(side * kHandleEnd, side * kHandleEnd));
        painter.setPen(QPen(colour, side * kLensPen));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, radius, radius);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

} // namespace Kav
