#pragma once
// kavcall: calls one method of a server object from a shell and prints the answer as JSON.
//
//   kavcall [--server HOST:PORT] [--timeout SECONDS] OBJECT METHOD [ARG...]
//
// Arguments are typed by a prefix: text:..., date:2026-03-02, datetime:2026-03-02T10:00:00,
// bool:true, int:42, float:1.5, null, json:<a typed value as on the wire>; without a prefix a
// text. ref:<argument> passes it by reference.

#include <QString>
#include <QStringList>
#include <QVariant>

class QTextStream;

class KavcallCommand
{
public:
    static constexpr int kUsageError = 2;
    static constexpr int kCallFailed = 1;

    struct Argument
    {
        QVariant value;
        bool byRef = false;
    };

    // Throws Kav::Exception for an argument that does not parse.
    static Argument parseArgument(const QString& text);

    // Runs the command line (program name first) and returns the exit status: the answer goes to
    // `out`, errors to `err`. `defaultServer` is HOST:PORT.
    static int run(const QStringList& arguments, const QString& defaultServer, QTextStream& out,
                   QTextStream& err);
};
