#pragma once
// The report outputs by name: "printer", "preview", "pdf", "text", "csv", "html".

#include "ReportRenderer.h"

#include <memory>
#include <QStringList>

namespace Qr {

class ReportRenderers
{
public:
    static QStringList names();
    // Kav::Exception for an unknown name.
    static std::unique_ptr<ReportRenderer> create(const QString& name);
    // The file output a file name asks for by its ending (".pdf", ".xlsx", ".txt", ".csv",
    // ".html"/".htm"); empty when none fits. "xlsx" is no page renderer: the workbook is written
    // from the layout's data (XlsxWriter).
    static QString nameForFile(const QString& fileName);
    // Filter for a save dialog offering every file output, PDF first.
    static QString saveFilter();
};

} // namespace Qr
