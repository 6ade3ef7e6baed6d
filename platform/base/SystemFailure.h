#pragma once
// Failures of what lies under the program (files, the database, the network) said to the user in
// Portuguese; the system's own text, often in English and naming internals, goes to the log.

#include <QString>

class QFileDevice;

namespace Kav {

// Logs `detail` under `message`, then throws Kav::Exception(message).
[[noreturn]] void failWithDetail(const QString& message, const QString& detail);

enum class FileAccess { Read, Write };

// Why `file` could not be read or written, in words a user can act on ("a pasta ... não existe");
// the system's text is logged.
QString fileFailureReason(const QFileDevice& file, FileAccess access);

// "Não foi possível gravar <arquivo>: <motivo>." for a file the user chose or must fix.
QString cannotWrite(const QFileDevice& file);

} // namespace Kav
