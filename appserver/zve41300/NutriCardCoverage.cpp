#include "NutriCardCoverage.h"

#include "MenuTypeReferences.h"

namespace KavServer::Zve41300 {

using KavDb::CoverageRule::Fit;

namespace {

QString servicesPerDay(int services)
{
    return services == 1 ? QStringLiteral("1 serviço por dia")
                         : QStringLiteral("%1 serviços por dia").arg(services);
}

QString referenceLine(const KavDb::MenuTypeReference& reference)
{
    using namespace KavDb::CoverageRule;
    const double share = *reference.share;
    QString line = QStringLiteral("Referência: %1").arg(reference.setName);
    if (!reference.ageBandName.isEmpty())
        line += QStringLiteral(", %1").arg(reference.ageBandName);
    line += QStringLiteral(", %1 das necessidades diárias").arg(shareText(share));
    switch (reference.fit()) {
    case Fit::Fits:
        return line + QStringLiteral(" (%1: %2); o tipo de cardápio tem %3.")
                          .arg(citation(), mealsAssumed(share), servicesPerDay(reference.mealsPerDay));
    case Fit::DoesNotFit:
        return line +
               QStringLiteral(", cobertura que supõe %1 (%2); o tipo de cardápio tem %3: os limites que"
                              " dependem da cobertura não são comparados. Corrija a cobertura do tipo de"
                              " cardápio.")
                   .arg(mealsAssumed(share), citation(), servicesPerDay(reference.mealsPerDay));
    case Fit::NoRule:
        break;
    }
    return line +
           QStringLiteral(" (cobertura que a %1 não prevê: confira a regra em que se baseia); o tipo de"
                          " cardápio tem %2.")
               .arg(citation(), servicesPerDay(reference.mealsPerDay));
}

} // namespace

NutriCardCoverage NutriCardCoverage::of(const QSqlDatabase& db, const NutriCardCriteria& criteria)
{
    NutriCardCoverage coverage;
    const std::optional<KavDb::MenuTypeReference> reference =
        KavDb::MenuTypeReferences(db).of(criteria.central, criteria.menuType);
    if (!reference || reference->set.isEmpty() || !reference->share)
        return coverage;
    coverage.notes << referenceLine(*reference);
    if (reference->fit() != Fit::DoesNotFit)
        coverage.comparedShare = *reference->share;
    return coverage;
}

} // namespace KavServer::Zve41300
