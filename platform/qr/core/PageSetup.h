#pragma once
// The paper a report is laid out on: size, orientation and margins, in millimetres.

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>

namespace Qr {

struct PageSetup
{
    static constexpr double DefaultMarginMm = 10.0;

    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{DefaultMarginMm, DefaultMarginMm, DefaultMarginMm, DefaultMarginMm};

    // The whole sheet as it lies (width and height swapped for landscape).
    QSizeF pageSizeMm() const;
    // What lies inside the margins.
    QSizeF bodySizeMm() const;
    QPageLayout pageLayout() const;

    // "A4", "A3", "Letter", "Legal"; the reverse gives QPageSize::Custom for an unknown name.
    static QString paperName(QPageSize::PageSizeId paper);
    static QPageSize::PageSizeId paperFromName(const QString& name);
    static QStringList paperNames();

    bool operator==(const PageSetup&) const = default;
};

} // namespace Qr
