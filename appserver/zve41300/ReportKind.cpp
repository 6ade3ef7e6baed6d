#include "ReportKind.h"

#include "NutriCardRefusal.h"

namespace KavServer::Zve41300 {

ReportKind ReportKind::parse(const QString& text)
{
    constexpr int kLetters = 2;
    const auto refuse = [&] {
        return NutriCardRefusal(
            QStringLiteral("Tipo de relatório inválido: \"%1\" (esperado N, D ou S seguido de T ou L).")
                .arg(text.left(kLetters + 1)));
    };
    const QString kind = text.trimmed().toUpper();
    if (kind.size() != kLetters)
        throw refuse();
    ReportKind result;
    switch (kind.at(0).unicode()) {
    case 'N':
        result.layout = Layout::PerDish;
        break;
    case 'D':
        result.layout = Layout::DailyTotals;
        break;
    case 'S':
        result.layout = Layout::WeeklyMeans;
        break;
    default:
        throw refuse();
    }
    if (kind.at(1) != QLatin1Char('T') && kind.at(1) != QLatin1Char('L'))
        throw refuse();
    result.allNutrients = kind.at(1) == QLatin1Char('T');
    return result;
}

} // namespace KavServer::Zve41300
