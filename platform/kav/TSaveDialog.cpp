#include "TSaveDialog.h"

#include "ClientContext.h"
#include "DialogService.h"

#include <QApplication>
#include <QDir>

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
    // A default extension without a filter is the one type offered.
    if (filters.isEmpty() && !m_defaultExt.isEmpty())
        filters << QStringLiteral("*.%1").arg(m_defaultExt);
    return filters.join(QLatin1String(";;"));
}

bool TSaveDialog::Execute()
{
    // Without a folder of its own the dialog starts where the user last saved.
    const QString start = m_initialDir.isEmpty() ? m_fileName : QDir(m_initialDir).filePath(m_fileName);
    const QString chosen =
        Kav::dialogs().saveFileName(QApplication::activeWindow(), m_title, start, qtFilter());
    if (chosen.isEmpty())
        return false;
    m_fileName = chosen;
    return true;
}
