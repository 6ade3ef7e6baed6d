#include "PreviewWindowZoom.h"

#include <algorithm>

namespace Qr {

namespace {
const QString kZoomWholePage = QStringLiteral("pagina");
const QString kZoomPageWidth = QStringLiteral("largura");
// A fitted sheet never gets smaller or larger than this, whatever the window's size.
constexpr double kMinFactor = 0.1;
constexpr double kMaxFactor = 8.0;
} // namespace

QString PreviewWindowZoom::toText() const
{
    switch (mode) {
    case Mode::WholePage:
        return kZoomWholePage;
    case Mode::PageWidth:
        return kZoomPageWidth;
    case Mode::Fixed:
        break;
    }
    return QString::number(factor);
}

PreviewWindowZoom PreviewWindowZoom::fromText(const QString& text)
{
    if (text == kZoomWholePage)
        return wholePage();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok && value >= kMinFactor && value <= kMaxFactor)
        return fixed(value);
    return pageWidth();
}

double PreviewWindowZoom::factorFor(const QSizeF& sheetAtOne, const QSizeF& room) const
{
    if (mode == Mode::Fixed || sheetAtOne.isEmpty() || room.isEmpty())
        return factor;
    const double byWidth = room.width() / sheetAtOne.width();
    const double byHeight = room.height() / sheetAtOne.height();
    const double fitted = mode == Mode::PageWidth ? byWidth : std::min(byWidth, byHeight);
    return std::clamp(fitted, kMinFactor, kMaxFactor);
}

} // namespace Qr
