#pragma once
// Reads a .QR2 report layout (XML) and checks it: every element and attribute known, numbers and
// expressions valid, every parameter the query or an expression uses declared, every band
// inside the page. A fault is a Kav::LayoutError naming the file and the line.

#include "ReportLayout.h"

#include <optional>
#include <QByteArray>
#include <QString>

namespace Qr {

class LayoutReader
{
public:
    static ReportLayout read(const QByteArray& xml, const QString& sourceName);
    static ReportLayout readFile(const QString& path);
    // Only the title, for listing layouts without checking them whole; nullopt when the file is
    // not a report layout.
    static std::optional<QString> readTitle(const QString& path);
};

} // namespace Qr
