#include "TSaveDialog.h"

#include "ClientContext.h"
#include "DialogService.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

TSaveDialog::TSaveDialog(QObject* parent) : QObject(parent) {}

QString TSaveDialog::qtFilter() const
{
    const QStringList parts = m_filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i),
                                                 patterns.replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return filters.join(QLatin1String(";;"));
}

bool TSaveDialog::Execute()
{
    const QString start = m_fileName.isEmpty() ? m_initialDir : QDir(m_initialDir).filePath(m_fileName);
    QString chosen = Kav::dialogs().saveFileName(QApplication::activeWindow(), m_title, start, qtFilter());
    if (chosen.isEmpty())
        return false;
    if (!m_defaultExt.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + m_defaultExt;
    m_fileName = chosen;
    return true;
}
