#include "ReportDecimals.h"

#include "ValueFormatter.h"

#include <QHash>
#include <QRegularExpression>

namespace Qr {

namespace {

bool isNumberPattern(const QString& pattern)
{
    static const QRegularExpression number(QStringLiteral("^[^0#]*[#0,]*0(\\.[0#]+)?[^0#]*$"));
    return number.match(pattern).hasMatch();
}

} // namespace

int ReportDecimals::ofPattern(const QString& pattern)
{
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    if (point < 0)
        return 0;
    int decimals = 0;
    for (qsizetype i = point + 1;
         i < pattern.size() && (pattern[i] == QLatin1Char('0') || pattern[i] == QLatin1Char('#')); ++i)
        ++decimals;
    return decimals;
}

int ReportDecimals::of(const ReportLayout& layout)
{
    static const QRegularExpression formatCall(
        QStringLiteral("format\\(\\s*[A-Za-z_][A-Za-z0-9_]*\\s*,\\s*'([^']*)'\\s*\\)"));
    QHash<QString, int> uses;
    for (const ReportBand* band : layout.bands()) {
        if (band->kind != BandKind::Detail)
            continue;
        for (const ReportElement& element : band->elements) {
            if (!element.format.isEmpty() && isNumberPattern(element.format))
                ++uses[element.format];
            for (auto match = formatCall.globalMatch(element.value.text()); match.hasNext();) {
                const QString pattern = match.next().captured(1);
                if (isNumberPattern(pattern))
                    ++uses[pattern];
            }
        }
    }
    QString most;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it)
        if (most.isEmpty() || it.value() > uses.value(most) ||
            (it.value() == uses.value(most) && it.key() < most))
            most = it.key();
    return most.isEmpty() ? ValueFormatter::DefaultDecimals : ofPattern(most);
}

} // namespace Qr
