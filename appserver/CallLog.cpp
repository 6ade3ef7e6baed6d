#include "CallLog.h"

#include <cstdio>
#include <QDateTime>

namespace KavServer {

QString CallLog::line(const QString& peer, const QString& method, qint64 milliseconds, const QString& outcome)
{
    QString oneLine = outcome;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("%1 %2 %3 %4 ms %5")
        .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
             peer.isEmpty() ? QStringLiteral("-") : peer, method)
        .arg(milliseconds)
        .arg(oneLine);
}

void CallLog::write(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace KavServer
