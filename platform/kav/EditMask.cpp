#include "EditMask.h"

namespace {

const QChar kEscape = QLatin1Char('\\');
const QChar kMaskSeparator = QLatin1Char(';');

// Characters with a meaning in Qt's mask syntax: as literals they need an escape.
bool isQtMaskCharacter(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\").contains(c);
}

// The Qt code for a character the user types, or a null QChar when `c` is not one.
QChar qtInputCode(QChar c)
{
    switch (c.unicode()) {
    case 'L':
        return QLatin1Char('A'); // letter, required
    case 'l':
        return QLatin1Char('a'); // letter, optional
    case 'A':
        return QLatin1Char('N'); // letter or digit, required
    case 'a':
        return QLatin1Char('n'); // letter or digit, optional
    case 'C':
        return QLatin1Char('X'); // any character, required
    case 'c':
        return QLatin1Char('x'); // any character, optional
    case '0':
        return QLatin1Char('9'); // digit, required
    case '9':
        return QLatin1Char('0'); // digit, optional
    case '#':
        return QLatin1Char('#'); // digit or sign, optional
    default:
        return {};
    }
}

} // namespace

EditMask::EditMask(const QString& mask) : m_source(mask)
{
    int i = 0;
    for (; i < mask.size() && mask.at(i) != kMaskSeparator; ++i) {
        const QChar c = mask.at(i);
        if (c == kEscape && i + 1 < mask.size()) {
            addLiteral(mask.at(++i));
        } else if (c == QLatin1Char('<') && i + 1 < mask.size() && mask.at(i + 1) == QLatin1Char('>')) {
            m_inputMask += QLatin1Char('!'); // case conversion off
            ++i;
        } else if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            m_inputMask += c;
        } else if (c == QLatin1Char('!')) {
            // Leading blanks instead of trailing ones: the text reads the same without them.
        } else if (c == QLatin1Char('_')) {
            addLiteral(QLatin1Char(' '));
        } else if (const QChar code = qtInputCode(c); !code.isNull()) {
            addInput(code);
        } else {
            addLiteral(c);
        }
    }
    const QStringList fields = mask.mid(i + 1).split(kMaskSeparator);
    if (i < mask.size() && !fields.value(0).isEmpty())
        m_saveLiterals = fields.value(0) != QLatin1String("0");
    if (fields.size() > 1 && !fields.at(1).isEmpty())
        m_blank = fields.at(1).at(0);
    if (!m_positions.isEmpty())
        m_inputMask += kMaskSeparator + QString(m_blank);
}

void EditMask::addLiteral(QChar c)
{
    if (isQtMaskCharacter(c))
        m_inputMask += kEscape;
    m_inputMask += c;
    m_positions.append(Position{true, c});
}

void EditMask::addInput(QChar qtCode)
{
    m_inputMask += qtCode;
    m_positions.append(Position{false, QChar()});
}

QString EditMask::textOf(const QString& displayed) const
{
    if (isEmpty())
        return displayed;
    QString text;
    for (int i = 0; i < displayed.size(); ++i) {
        const bool literal = i < m_positions.size() && m_positions.at(i).literal;
        if (literal ? m_saveLiterals : displayed.at(i) != m_blank)
            text += displayed.at(i);
    }
    return text;
}
