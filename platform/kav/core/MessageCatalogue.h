#pragma once
// A keyed message catalogue as the screens keep them: a UTF-8 file of lines "KEY|text", looked up
// by exact key. TMessages holds one for a form; code without a form reads the same file here.

#include <QString>
#include <QStringList>

namespace Kav {

// The catalogue's entries (its non-empty lines). Throws Kav::Exception when the file cannot be read.
QStringList readCatalogue(const QString& fileName);

// The text of `key`: everything after the entry's first "|". A key the catalogue lacks is a fault
// of the catalogue; its text is the key itself, so the message names what is missing.
QString catalogueText(const QStringList& entries, const QString& key);

} // namespace Kav
