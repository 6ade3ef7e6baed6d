#include "HostIdentity.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Kav::Host {

namespace {
constexpr int kIconSizes[] = {16, 24, 32, 48, 64};
const QColor kLeaf(0x2e, 0x7d, 0x32);
const QColor kPlate(0xff, 0xff, 0xff);
// Proportions of the drawing, as shares of the icon's side.
constexpr double kCorner = 0.2;
constexpr double kPlateMargin = 0.2;
constexpr double kLeafShare = 0.28;

} // namespace

QPixmap HostIdentity::picture(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kLeaf);
    painter.drawRoundedRect(QRectF(0, 0, side, side), side * kCorner, side * kCorner);
    // A plate, and a leaf on it: school meals.
    const double margin = side * kPlateMargin;
    painter.setBrush(kPlate);
    painter.drawEllipse(QRectF(margin, margin, side - 2 * margin, side - 2 * margin));
    painter.setBrush(kLeaf);
    const double leaf = side * kLeafShare;
    painter.drawEllipse(QRectF((side - leaf) / 2, (side - leaf) / 2, leaf, leaf));
    return pixmap;
}

QString HostIdentity::productName()
{
    return QStringLiteral("Kav Alimentação Escolar");
}

QIcon HostIdentity::icon()
{
    QIcon icon;
    for (int side : kIconSizes)
        icon.addPixmap(picture(side));
    return icon;
}

} // namespace Kav::Host
