#pragma once
// The code lists the screen sends ("001_002_005"): split, checked and normalised before any
// code reaches a query as a bound parameter.

#include <QString>
#include <QStringList>

namespace KavServer::Zve41300 {

class CodeList
{
public:
    // More codes than this in one list are refused: no screen picks that many.
    static constexpr int kMaxCodes = 1000;

    // Each code is 1 to `width` letters or digits, normalised as the database stores it
    // (all-digit codes zero-padded); repeats are dropped, the order kept. An empty text is an
    // empty list. Throws NutriCardRefusal naming the list (`what`) and the bad piece.
    static QStringList parse(const QString& list, int width, const QString& what);

    static QString join(const QStringList& codes) { return codes.join(QLatin1Char('_')); }
};

} // namespace KavServer::Zve41300
