#pragma once
// The file outputs of a report by name, in one table: the name a caller or a script asks for,
// the file endings that ask for it, the entry a save dialog offers, and what writes it. PDF,
// text, CSV and HTML are renderers of the laid-out pages; the workbook (.xlsx) is written from
// the report's rows (XlsxWriter), so its entry has no renderer. The printer and the preview are
// windows of the report dialog, not files, and are not in the table.

#include "ReportRenderer.h"

#include <memory>
#include <QStringList>

namespace Qr {

struct ReportOutput
{
    QString name;
    QStringList suffixes; // lower case, without the dot
    QString filter;       // "PDF (*.pdf)"
    // Null for the workbook, which is written from the rows, not from pages.
    std::unique_ptr<ReportRenderer> (*createRenderer)() = nullptr;

    bool writesPages() const { return createRenderer != nullptr; }
};

class ReportOutputs
{
public:
    // Every output, PDF first (the save dialog's default).
    static const QList<ReportOutput>& all();
    static QStringList names();
    // Kav::Exception in Portuguese for a name that is no file output.
    static const ReportOutput& byName(const QString& name);
    // The output a file name asks for by its ending, case aside; empty when none fits.
    static QString nameForFile(const QString& fileName);
    // Filter for a save dialog offering every output, PDF first.
    static QString saveFilter();
    // The renderer of a page output; Kav::Exception for the workbook or an unknown name.
    static std::unique_ptr<ReportRenderer> createRenderer(const QString& name);
};

} // namespace Qr
