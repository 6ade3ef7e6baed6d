#pragma once
// Writes a report layout as the readable XML of a .QR2 file, the form LayoutReader reads back.

#include "ReportLayout.h"

#include <QByteArray>

namespace Qr {

class LayoutWriter
{
public:
    static QByteArray write(const ReportLayout& layout);
    // Only the bands and groups, as they stand inside <report>: what the layout editor shows.
    static QByteArray writeBands(const ReportLayout& layout);
    // Kav::Exception when the file cannot be written; an existing file is replaced whole.
    static void writeFile(const ReportLayout& layout, const QString& path);
};

} // namespace Qr
