#pragma once
// The server's log: one line per call on stderr (when, who, which method, how long, outcome).

#include <QString>

namespace KavServer {

class CallLog
{
public:
    // "2026-03-02T10:15:00.123Z 127.0.0.1:40112 Zve41300.rdmNutriCard.GetServico 3 ms ok"
    static QString line(const QString& peer, const QString& method, qint64 milliseconds,
                        const QString& outcome);
    static void write(const QString& text);
};

} // namespace KavServer
