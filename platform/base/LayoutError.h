#pragma once
// An error in a stored layout, naming the file and the line where it stands.

#include "KavException.h"

namespace Kav {

class LayoutError : public Exception
{
public:
    LayoutError(const QString& fileName, int line, const QString& text)
        : Exception(QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(text)), m_fileName(fileName),
          m_line(line), m_text(text)
    {}

    const QString& fileName() const { return m_fileName; }
    int line() const { return m_line; }
    const QString& text() const { return m_text; }

private:
    QString m_fileName;
    int m_line;
    QString m_text;
};

} // namespace Kav
