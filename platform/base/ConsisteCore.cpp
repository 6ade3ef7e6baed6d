#include "ConsisteCore.h"

namespace Consiste {

static bool allDigits(const QString& text)
{
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

QString Ajusta(const QString& code, int width)
{
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty() || !allDigits(trimmed) || trimmed.size() >= width)
        return trimmed;
    return trimmed.rightJustified(width, QLatin1Char('0'));
}

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}

} // namespace Consiste
