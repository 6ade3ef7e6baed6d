#pragma once
// Whether a menu type's share of the daily needs fits the meals it serves a day, by the coverage
// rules for school meals (Res. CD/FNDE nº 6/2020, Art. 18; database/data/pnae/README.md): one
// meal covers 20% of the needs, two or more meals 30%, three or more (crèche or full time) 70%.
// A site may use a share of another rule (30% per meal of indigenous schools, say): the rule
// then says nothing about it.

#include <QString>

namespace KavDb::CoverageRule {

enum class Fit {
    Fits,
    DoesNotFit, // the meals served are not those the share assumes
    NoRule,     // a share none of the rules names
};

Fit judge(double share, int mealsPerDay);

// The meals the share assumes, as a report says it ("1 refeição por dia"); empty for NoRule.
QString mealsAssumed(double share);

// The rule's citation, for notes and messages.
QString citation();

// "20%", "70%", "32,5%": a share as a report prints it.
QString shareText(double share);

} // namespace KavDb::CoverageRule
