#include "PageSetup.h"

#include <QStringList>

namespace Qr {

namespace {

struct Paper
{
    QPageSize::PageSizeId id;
    const char* name;
};

constexpr Paper kPapers[] = {
    {QPageSize::A4, "A4"}, {QPageSize::A3, "A3"}, {QPageSize::Letter, "Letter"}, {QPageSize::Legal, "Legal"}};

} // namespace

QSizeF PageSetup::pageSizeMm() const
{
    const QSizeF portrait = QPageSize(paper).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

QSizeF PageSetup::bodySizeMm() const
{
    const QSizeF page = pageSizeMm();
    return {page.width() - margins.left() - margins.right(),
            page.height() - margins.top() - margins.bottom()};
}

QPageLayout PageSetup::pageLayout() const
{
    return QPageLayout(QPageSize(paper), orientation, QMarginsF(), QPageLayout::Millimeter);
}

QString PageSetup::paperName(QPageSize::PageSizeId paper)
{
    for (const Paper& entry : kPapers)
        if (entry.id == paper)
            return QString::fromLatin1(entry.name);
    return {};
}

QPageSize::PageSizeId PageSetup::paperFromName(const QString& name)
{
    for (const Paper& entry : kPapers)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.id;
    return QPageSize::Custom;
}

QStringList PageSetup::paperNames()
{
    QStringList names;
    for (const Paper& entry : kPapers)
        names.append(QString::fromLatin1(entry.name));
    return names;
}

} // namespace Qr
