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
    // The file renderer a file name asks for by its ending (".pdf", ".txt", ".csv", ".html"/".htm");
    // empty when none fits.
    static QString nameForFile(const QString& fileName);
    // Filter for a save dialog offering every file output, PDF first.
    static QString saveFilter();
};

} // namespace Qr
