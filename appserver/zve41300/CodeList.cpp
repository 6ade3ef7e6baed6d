#include "CodeList.h"

#include "ConsisteCore.h"
#include "NutriCardRefusal.h"

namespace KavServer::Zve41300 {

namespace {

bool isPlainCode(const QString& code, int width)
{
    if (code.isEmpty() || code.size() > width)
        return false;
    for (const QChar c : code)
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    return true;
}

} // namespace

QStringList CodeList::parse(const QString& list, int width, const QString& what)
{
    const QString trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QStringList pieces = trimmed.split(QLatin1Char('_'));
    if (pieces.size() > kMaxCodes)
        throw NutriCardRefusal(
            QStringLiteral("Lista de %1 com mais de %2 códigos.").arg(what).arg(kMaxCodes));
    QStringList codes;
    for (const QString& piece : pieces) {
        if (!isPlainCode(piece, width))
            throw NutriCardRefusal(
                QStringLiteral("Lista de %1 inválida: \"%2\" não é um código de até %3 letras ou dígitos.")
                    .arg(what, piece.left(width + 1))
                    .arg(width));
        const QString code = Consiste::Ajusta(piece, width);
        if (!codes.contains(code))
            codes.append(code);
    }
    return codes;
}

} // namespace KavServer::Zve41300
