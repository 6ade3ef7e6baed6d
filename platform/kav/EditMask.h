#pragma once
// An edit mask as layouts write it (">aaaa;0; ": the mask, whether literal characters are kept
// in the text, the blank character), turned into a Qt input mask and used to read the text.

#include <QList>
#include <QString>

class EditMask
{
public:
    EditMask() = default;
    explicit EditMask(const QString& mask);

    bool isEmpty() const { return m_positions.isEmpty(); }
    const QString& source() const { return m_source; }
    // The same mask in QLineEdit::setInputMask syntax, blank character included.
    const QString& inputMask() const { return m_inputMask; }
    bool savesLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }
    // Characters the mask takes, literals included.
    int length() const { return int(m_positions.size()); }

    // The text of an edit from what it displays: blanks dropped, literals dropped unless the
    // mask keeps them.
    QString textOf(const QString& displayed) const;

private:
    struct Position
    {
        bool literal = false;
        QChar character; // the literal
    };

    void addLiteral(QChar c);
    void addInput(QChar qtCode);

    QString m_source;
    QString m_inputMask;
    QList<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
};
