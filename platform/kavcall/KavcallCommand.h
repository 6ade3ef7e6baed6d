#pragma once
// kavcall: calls one method of a server object from a shell and prints the answer as JSON.
//
//   kavcall [--server HOST:PORT] [--certificate FILE] [--token-file FILE] [--timeout SECONDS]
//           OBJECT METHOD [ARG...]
//
// As kavhost, it reads KAV_SERVER, KAV_SERVER_CERTIFICATE (TLS, trusting only that certificate)
// and KAV_SERVER_TOKEN (the access token); the options override them. The token is read from a
// file, never from the command line, where other users of the machine could see it.
//
// Arguments are typed by a prefix: text:..., date:2026-03-02, datetime:2026-03-02T10:00:00,
// bool:true, int:42, float:1.5, null, json:<a typed value as on the wire>; without a prefix a
// text. ref:<argument> passes it by reference.

#include <QProcessEnvironment>
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
    // `out`, errors to `err`.
    static int run(const QStringList& arguments, const QProcessEnvironment& environment, QTextStream& out,
                   QTextStream& err);
};
