#include "CoverageRule.h"

#include <QLocale>

namespace KavDb::CoverageRule {

namespace {

struct Share
{
    double percent;
    int fewestMeals;
    int mostMeals; // kNoLimit: any number from the fewest up
    const char* assumed;
};

constexpr int kNoLimit = 0;

constexpr Share kShares[] = {
    {20.0, 1, 1, "1 refeição por dia"},
    {30.0, 2, kNoLimit, "2 ou mais refeições por dia"},
    {70.0, 3, kNoLimit, "3 ou mais refeições por dia"},
};

const Share* shareOf(double percent)
{
    for (const Share& share : kShares)
        if (qFuzzyCompare(share.percent, percent))
            return &share;
    return nullptr;
}

} // namespace

Fit judge(double share, int mealsPerDay)
{
    const Share* rule = shareOf(share);
    if (!rule)
        return Fit::NoRule;
    const bool enough = mealsPerDay >= rule->fewestMeals;
    const bool notTooMany = rule->mostMeals == kNoLimit || mealsPerDay <= rule->mostMeals;
    return enough && notTooMany ? Fit::Fits : Fit::DoesNotFit;
}

QString mealsAssumed(double share)
{
    const Share* rule = shareOf(share);
    return rule ? QString::fromUtf8(rule->assumed) : QString();
}

QString citation()
{
    return QStringLiteral("Res. CD/FNDE nº 6/2020, Art. 18");
}

QString shareText(double share)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(share, 'g', 4) + QLatin1Char('%');
}

} // namespace KavDb::CoverageRule
