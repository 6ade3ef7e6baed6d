#pragma once
// The layouts of a report found in the reports folders: files named report code, layout code and
// ".QR2" ("Zve41301.QR2" is layout "01" of report "Zve413"). A layout in the user's folder
// replaces the shared one of the same code.

#include <QList>
#include <QString>
#include <QStringList>

namespace Qr {

struct ReportEntry
{
    QString layoutCode;
    QString title;
    QString path;
};

class ReportCatalog
{
public:
    static inline const QString Extension = QStringLiteral(".QR2");

    // Folders first to last by precedence (the user's folder first); entries by layout code.
    // Files that are not report layouts are left out.
    static QList<ReportEntry> list(const QStringList& folders, const QString& reportCode);
    static QString fileName(const QString& reportCode, const QString& layoutCode);
    // The first folder holding the layout's file; empty when none does.
    static QString find(const QStringList& folders, const QString& reportCode, const QString& layoutCode);
    // The lowest two-digit layout code no folder uses yet; empty when all are taken.
    static QString freeLayoutCode(const QStringList& folders, const QString& reportCode);
};

} // namespace Qr
