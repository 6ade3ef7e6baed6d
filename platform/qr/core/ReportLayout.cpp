#include "ReportLayout.h"

#include "SqlParameters.h"

namespace Qr {

TParams ReportLayout::createParams() const
{
    TParams params;
    for (const ParameterDeclaration& declaration : parameters)
        params.Add(declaration.name, declaration.type);
    return params;
}

QList<const ReportBand*> ReportLayout::bands() const
{
    QList<const ReportBand*> all;
    for (const auto* band : {&titleBand, &pageHeader, &columnHeader})
        if (*band)
            all.append(&**band);
    for (const ReportGroup& group : groups) {
        if (group.header)
            all.append(&*group.header);
        if (group.footer)
            all.append(&*group.footer);
    }
    for (const auto* band : {&detail, &summary, &pageFooter})
        if (*band)
            all.append(&**band);
    return all;
}

bool ReportLayout::listFollowsBlocks(const ReportList& list) const
{
    if (!columnBlocks)
        return false;
    for (const QString& name : SqlParameters::names(list.query))
        for (int k = 1; k <= columnBlocks->size; ++k)
            if (name.compare(columnBlocks->parameterName(k), Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

} // namespace Qr
