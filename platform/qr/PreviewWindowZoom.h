#pragma once
// The zoom of the preview window: a fixed factor, or fitted to the room the window gives
// ("Página inteira": the whole sheet; "Largura da página": the sheet's width). Written as text
// so that the last choice can be kept between previews.

#include <QSizeF>
#include <QString>

namespace Qr {

struct PreviewWindowZoom
{
    enum class Mode { Fixed, WholePage, PageWidth };

    Mode mode = Mode::PageWidth;
    double factor = 1.0; // Mode::Fixed only

    static PreviewWindowZoom fixed(double factor) { return {Mode::Fixed, factor}; }
    static PreviewWindowZoom wholePage() { return {Mode::WholePage, 1.0}; }
    static PreviewWindowZoom pageWidth() { return {Mode::PageWidth, 1.0}; }

    // "pagina", "largura" or the factor ("1.25"); an unreadable text gives the page width.
    QString toText() const;
    static PreviewWindowZoom fromText(const QString& text);

    // The factor at which a sheet of `sheetAtOne` (its size at factor 1) is shown in `room`.
    double factorFor(const QSizeF& sheetAtOne, const QSizeF& room) const;

    bool operator==(const PreviewWindowZoom& other) const
    {
        return mode == other.mode && (mode != Mode::Fixed || qFuzzyCompare(factor, other.factor));
    }
};

} // namespace Qr
