#include "SystemFailure.h"

#include "KavException.h"

#include <QDebug>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

namespace Kav {

namespace {

QString readReason(const QFileInfo& info)
{
    if (!info.exists())
        return QStringLiteral("o arquivo não existe");
    if (info.isDir())
        return QStringLiteral("o caminho é uma pasta, não um arquivo");
    if (!info.isReadable())
        return QStringLiteral("sem permissão para ler o arquivo");
    return QStringLiteral("erro de leitura do sistema");
}

QString writeReason(const QFileInfo& info, QFileDevice::FileError error)
{
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        return QStringLiteral("o caminho é uma pasta, não um arquivo");
    if (!folder.isDir())
        return QStringLiteral("a pasta %1 não existe").arg(QDir::toNativeSeparators(folder.filePath()));
    if ((info.exists() && !info.isWritable()) || !folder.isWritable())
        return QStringLiteral("sem permissão para gravar nesse local");
    if (error == QFileDevice::WriteError || error == QFileDevice::ResourceError)
        return QStringLiteral("a gravação foi interrompida (o disco pode estar cheio)");
    // A folder that looks writable but is not (read-only disk, system folder): another one will do.
    return QStringLiteral("o sistema não permite criar o arquivo nessa pasta; escolha outra");
}

} // namespace

void failWithDetail(const QString& message, const QString& detail)
{
    qWarning().noquote() << message << "--" << detail;
    throw Exception(message);
}

QString fileFailureReason(const QFileDevice& file, FileAccess access)
{
    qWarning().noquote() << (access == FileAccess::Read ? "leitura de" : "gravação de") << file.fileName()
                         << "--" << file.errorString();
    const QFileInfo info(file.fileName());
    return access == FileAccess::Read ? readReason(info) : writeReason(info, file.error());
}

QString cannotWrite(const QFileDevice& file)
{
    return QStringLiteral("Não foi possível gravar %1: %2.")
        .arg(QDir::toNativeSeparators(file.fileName()), fileFailureReason(file, FileAccess::Write));
}

} // namespace Kav
