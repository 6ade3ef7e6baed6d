#include "Colors.h"

#include "KavException.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPair>
#include <QWidget>

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

// "$00BBGGRR": the byte order layouts store colours without a name in.
QColor colorFromHex(const QString& text)
{
    bool ok = false;
    const uint value = text.mid(1).toUInt(&ok, 16);
    return ok ? QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF) : QColor();
}

bool paintsOnBase(const QWidget* control)
{
    const auto* combo = qobject_cast<const QComboBox*>(control);
    return qobject_cast<const QLineEdit*>(control) || qobject_cast<const QAbstractSpinBox*>(control) ||
           qobject_cast<const QAbstractScrollArea*>(control) || (combo && combo->isEditable());
}

QPalette::ColorRole backgroundRole(const QWidget* control)
{
    return paintsOnBase(control) ? QPalette::Base : control->backgroundRole();
}

} // namespace

QColor colorFromName(const QString& name)
{
    if (name.startsWith(QLatin1Char('$')))
        return colorFromHex(name);
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

void setColor(QWidget* control, const QColor& color)
{
    QPalette palette = control->palette();
    // A disabled box shows clBtnFace only because the screen gives it that colour.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, backgroundRole(control), color);
    control->setPalette(palette);
    if (!paintsOnBase(control))
        control->setAutoFillBackground(true);
}

void setColor(QWidget* control, const QString& name)
{
    const QColor color = colorFromName(name);
    if (!color.isValid())
        throw Exception(QStringLiteral("unknown colour %1").arg(name));
    setColor(control, color);
}

QString colorOf(const QWidget* control)
{
    const QColor color = control->palette().color(backgroundRole(control));
    const QString name = colorName(color);
    return name.isEmpty() ? color.name() : name;
}

} // namespace Kav
