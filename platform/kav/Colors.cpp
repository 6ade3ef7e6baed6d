#include "Colors.h"

#include <QList>
#include <QPair>

namespace Kav {

namespace {

// The desktop's system colours as the client's screens were designed against, then the
// sixteen basic colours and the few extra named ones. Order matters for colorName.
const QList<QPair<QString, QRgb>>& namedColors()
{
    static const QList<QPair<QString, QRgb>> table = {
        {QStringLiteral("clWindow"), qRgb(0xFF, 0xFF, 0xFF)},
        {QStringLiteral("clBtnFace"), qRgb(0xF0, 0xF0, 0xF0)},
        {QStringLiteral("clInfoBk"), qRgb(0xFF, 0xFF, 0xE1)},
        {QStringLiteral("clWindowText"), qRgb(0x00, 0x00, 0x00)},
        {QStringLiteral("clBtnText"), qRgb(0x00, 0x00, 0x00)},
        {QStringLiteral("clInfoText"), qRgb(0x00, 0x00, 0x00)},
        {QStringLiteral("clGrayText"), qRgb(0x6D, 0x6D, 0x6D)},
        {QStringLiteral("clHighlight"), qRgb(0x00, 0x78, 0xD7)},
        {QStringLiteral("clHighlightText"), qRgb(0xFF, 0xFF, 0xFF)},
        {QStringLiteral("clBtnShadow"), qRgb(0xA0, 0xA0, 0xA0)},
        {QStringLiteral("clBtnHighlight"), qRgb(0xFF, 0xFF, 0xFF)},
        {QStringLiteral("clBlack"), qRgb(0x00, 0x00, 0x00)},
        {QStringLiteral("clMaroon"), qRgb(0x80, 0x00, 0x00)},
        {QStringLiteral("clGreen"), qRgb(0x00, 0x80, 0x00)},
        {QStringLiteral("clOlive"), qRgb(0x80, 0x80, 0x00)},
        {QStringLiteral("clNavy"), qRgb(0x00, 0x00, 0x80)},
        {QStringLiteral("clPurple"), qRgb(0x80, 0x00, 0x80)},
        {QStringLiteral("clTeal"), qRgb(0x00, 0x80, 0x80)},
        {QStringLiteral("clGray"), qRgb(0x80, 0x80, 0x80)},
        {QStringLiteral("clSilver"), qRgb(0xC0, 0xC0, 0xC0)},
        {QStringLiteral("clRed"), qRgb(0xFF, 0x00, 0x00)},
        {QStringLiteral("clLime"), qRgb(0x00, 0xFF, 0x00)},
        {QStringLiteral("clYellow"), qRgb(0xFF, 0xFF, 0x00)},
        {QStringLiteral("clBlue"), qRgb(0x00, 0x00, 0xFF)},
        {QStringLiteral("clFuchsia"), qRgb(0xFF, 0x00, 0xFF)},
        {QStringLiteral("clAqua"), qRgb(0x00, 0xFF, 0xFF)},
        {QStringLiteral("clWhite"), qRgb(0xFF, 0xFF, 0xFF)},
        {QStringLiteral("clMoneyGreen"), qRgb(0xC0, 0xDC, 0xC0)},
        {QStringLiteral("clSkyBlue"), qRgb(0xA6, 0xCA, 0xF0)},
        {QStringLiteral("clCream"), qRgb(0xFF, 0xFB, 0xF0)},
        {QStringLiteral("clMedGray"), qRgb(0xA0, 0xA0, 0xA4)},
    };
    return table;
}

} // namespace

QColor colorFromName(const QString& name)
{
    for (const auto& [known, rgb] : namedColors()) {
        if (known.compare(name, Qt::CaseInsensitive) == 0)
            return QColor(rgb);
    }
    return {};
}

QString colorName(const QColor& color)
{
    for (const auto& [known, rgb] : namedColors()) {
        if (color.isValid() && color.rgb() == rgb)
            return known;
    }
    return {};
}

} // namespace Kav
