#pragma once
// Splits a text into the lines that fit a width when printed in a font: at blanks where it can,
// inside a word only when the word alone is wider than the line.

#include <QString>
#include <QStringList>

namespace Qr {

class TextWrapper
{
public:
    TextWrapper(const QString& family, double pointSize, bool bold, bool italic);

    QStringList wrap(const QString& text, double widthMm) const;

private:
    double widthMm(const QString& text) const;

    QString m_family;
    double m_pointSize;
    bool m_bold;
    bool m_italic;
};

} // namespace Qr
