#pragma once
// Text rules shared by client and server: code normalisation and emptiness.

#include <QString>
#include <QVariant>

namespace Consiste {

// An all-digit code padded with leading zeros to `width` (the form the database stores);
// any other text trimmed; an empty text stays empty; a stored-form code comes back unchanged.
QString Ajusta(const QString& code, int width);

// True when the text holds nothing but blanks (a cleared date edit's text is empty).
bool EmptyString(const QString& text);

inline QVariant iif(bool condition, const QVariant& whenTrue, const QVariant& whenFalse)
{
    return condition ? whenTrue : whenFalse;
}

} // namespace Consiste
