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
    // The text as wide as it prints, in millimetres.
    double widthMm(const QString& text) const;
    // Whether the text fits the width, with the margin wrap() keeps.
    bool fits(const QString& text, double widthMm) const;
    // The longest start of the text that fits the width with "…" after it, cut after a word when
    // one fits; the text itself when it fits.
    QString elide(const QString& text, double widthMm) const;

private:
    QString m_family;
    double m_pointSize;
    bool m_bold;
    bool m_italic;
};

} // namespace Qr
