#include "SaveFileName.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace Kav {

namespace {

// Characters the dialog and the shell read as patterns, never meant as part of a name.
const QString kWildcards = QStringLiteral("*?");

} // namespace

QStringList SaveFileName::endingsOf(const QString& nameFilter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)\\b"));
    QStringList endings;
    for (auto match = pattern.globalMatch(nameFilter); match.hasNext();)
        endings.append(match.next().captured(1).toLower());
    return endings;
}

QString SaveFileName::refusal(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.trimmed().isEmpty() || QFileInfo(path).completeBaseName().trimmed().isEmpty())
        return QStringLiteral("Informe o nome do arquivo.");
    for (const QChar c : kWildcards)
        if (name.contains(c))
            return QStringLiteral("O nome \"%1\" não serve para um arquivo: não use * nem ? no nome.")
                .arg(name);
    return {};
}

QString SaveFileName::settled(const QString& path, const QStringList& nameFilters,
                              const QString& chosenFilter)
{
    const QString ending = QFileInfo(path).suffix().toLower();
    for (const QString& filter : nameFilters)
        if (!ending.isEmpty() && endingsOf(filter).contains(ending))
            return path;
    const QStringList chosen = endingsOf(chosenFilter.isEmpty() ? nameFilters.value(0) : chosenFilter);
    return chosen.isEmpty() ? path : path + QLatin1Char('.') + chosen.constFirst();
}

} // namespace Kav
