#include "KavcallCommand.h"

#include "KavException.h"
#include "RpcDefaults.h"
#include "RpcError.h"
#include "RpcValue.h"
#include "TNetConnection.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

constexpr int kMsPerSecond = 1000;

[[noreturn]] void badArgument(const QString& text, const QString& why)
{
    throw Kav::Exception(QStringLiteral("kavcall: invalid argument \"%1\": %2").arg(text, why));
}

QVariant typedValue(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString type = colon < 0 ? text : text.left(colon);
    const QString rest = colon < 0 ? QString() : text.mid(colon + 1);
    if (type == QLatin1String("null") && colon < 0)
        return QVariant();
    if (colon < 0)
        return text;
    if (type == QLatin1String("text"))
        return rest;
    if (type == QLatin1String("date")) {
        const QDate date = QDate::fromString(rest, Qt::ISODate);
        if (!date.isValid())
            badArgument(text, QStringLiteral("not a date YYYY-MM-DD"));
        return date;
    }
    if (type == QLatin1String("datetime")) {
        const QDateTime dateTime = QDateTime::fromString(rest, Qt::ISODateWithMs);
        if (!dateTime.isValid())
            badArgument(text, QStringLiteral("not a date-time YYYY-MM-DDTHH:MM:SS"));
        return dateTime;
    }
    if (type == QLatin1String("bool")) {
        if (rest != QLatin1String("true") && rest != QLatin1String("false"))
            badArgument(text, QStringLiteral("a boolean is true or false"));
        return rest == QLatin1String("true");
    }
    if (type == QLatin1String("int")) {
        bool ok = false;
        const qlonglong number = rest.toLongLong(&ok);
        if (!ok)
            badArgument(text, QStringLiteral("not an integer"));
        return number;
    }
    if (type == QLatin1String("float")) {
        bool ok = false;
        const double number = rest.toDouble(&ok);
        if (!ok)
            badArgument(text, QStringLiteral("not a number"));
        return number;
    }
    if (type == QLatin1String("json")) {
        const QJsonDocument document = QJsonDocument::fromJson("[" + rest.toUtf8() + "]");
        if (!document.isArray() || document.array().size() != 1)
            badArgument(text, QStringLiteral("not one JSON value"));
        try {
            return Kav::Rpc::decodeValue(document.array().at(0));
        } catch (const Kav::Rpc::RpcError& error) {
            badArgument(text, error.message());
        }
    }
    // Any other text with a colon ("10:30", "a:b") is a plain text.
    return text;
}

bool splitServer(const QString& server, QString& host, int& port)
{
    const qsizetype colon = server.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    port = server.mid(colon + 1).toInt(&ok);
    host = server.left(colon);
    return colon > 0 && ok && port > 0;
}

// The first line of the token file, or why it cannot be read.
bool readToken(const QString& path, QString& token, QString& why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("cannot read the access token file %1: %2").arg(path, file.errorString());
        return false;
    }
    token = QString::fromUtf8(file.readLine()).trimmed();
    return true;
}

// What the operator may have left out, said after a failure that it would explain.
QString hintFor(int code, bool hasCertificate, bool hasToken)
{
    if (code == Kav::Rpc::Unauthorized)
        return hasToken ? QStringLiteral("the access token was refused")
                        : QStringLiteral("the server requires an access token: give --token-file FILE "
                                         "or KAV_SERVER_TOKEN");
    if (!hasCertificate)
        return QStringLiteral("if the server speaks TLS (it must beyond loopback), give its certificate "
                              "with --certificate FILE or KAV_SERVER_CERTIFICATE");
    return {};
}

} // namespace

KavcallCommand::Argument KavcallCommand::parseArgument(const QString& text)
{
    const QLatin1String refPrefix("ref:");
    if (text.startsWith(refPrefix))
        return {typedValue(text.mid(refPrefix.size())), true};
    return {typedValue(text), false};
}

int KavcallCommand::run(const QStringList& arguments, const QProcessEnvironment& environment,
                        QTextStream& out, QTextStream& err)
{
    const QString defaultServer = environment.value(
        QStringLiteral("KAV_SERVER"), QStringLiteral("127.0.0.1:%1").arg(Kav::Rpc::kDefaultServerPort));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Calls a method of an application-server object and prints the answer."));
    const QCommandLineOption serverOption(QStringLiteral("server"), QStringLiteral("The server, HOST:PORT."),
                                          QStringLiteral("HOST:PORT"), defaultServer);
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"),
                                           QStringLiteral("Seconds to wait for the answer."),
                                           QStringLiteral("SECONDS"));
    const QCommandLineOption certificateOption(
        QStringLiteral("certificate"),
        QStringLiteral("Speak TLS, trusting only this PEM certificate (or its authority)."),
        QStringLiteral("FILE"), environment.value(QStringLiteral("KAV_SERVER_CERTIFICATE")));
    const QCommandLineOption tokenOption(QStringLiteral("token-file"),
                                         QStringLiteral("Present the access token on the file's first line."),
                                         QStringLiteral("FILE"));
    parser.addOptions({serverOption, certificateOption, tokenOption, timeoutOption});
    parser.addPositionalArgument(QStringLiteral("OBJECT"),
                                 QStringLiteral("Server object, e.g. Zve41300.rdmNutriCard."));
    parser.addPositionalArgument(QStringLiteral("METHOD"), QStringLiteral("Method name."));
    parser.addPositionalArgument(
        QStringLiteral("ARG"),
        QStringLiteral("text:..., date:YYYY-MM-DD, datetime:..., bool:true, int:N, float:X, "
                       "null, json:VALUE; ref:ARG passes by reference."),
        QStringLiteral("[ARG...]"));
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        err << "kavcall: " << parser.errorText() << Qt::endl;
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    QString host;
    int port = 0;
    if (positional.size() < 2 || !splitServer(parser.value(serverOption), host, port)) {
        err << parser.helpText();
        return kUsageError;
    }

    QList<QVariant> values;
    QList<bool> byRef;
    try {
        for (const QString& text : positional.mid(2)) {
            const Argument argument = parseArgument(text);
            values.append(argument.value);
            byRef.append(argument.byRef);
        }
    } catch (const Kav::Exception& error) {
        err << error.message() << Qt::endl;
        return kUsageError;
    }

    QString token = environment.value(QStringLiteral("KAV_SERVER_TOKEN")).trimmed();
    QString why;
    if (parser.isSet(tokenOption) && !readToken(parser.value(tokenOption), token, why)) {
        err << "kavcall: " << why << Qt::endl;
        return kUsageError;
    }
    const QString certificate = parser.value(certificateOption);

    TNetConnection connection;
    connection.setHost(host);
    connection.setPort(port);
    connection.setAccessToken(token);
    connection.setTrustedCertificate(certificate);
    connection.setServerName(positional.at(0));
    if (parser.isSet(timeoutOption))
        connection.setCallTimeout(parser.value(timeoutOption).toInt() * kMsPerSecond);
    QList<Kav::RemoteArg> args;
    for (int i = 0; i < values.size(); ++i)
        args.append(byRef[i] ? Kav::RemoteArg::byRef(values[i]) : Kav::RemoteArg(values[i]));
    try {
        const QVariant value = connection.AppServer().call(positional.at(1), args);
        QJsonObject answer{{QStringLiteral("value"), Kav::Rpc::encodeValue(value)}};
        QJsonObject refs;
        for (int i = 0; i < values.size(); ++i)
            if (byRef[i])
                refs.insert(QString::number(i), Kav::Rpc::encodeValue(values[i]));
        if (!refs.isEmpty())
            answer.insert(QStringLiteral("refs"), refs);
        out << QJsonDocument(answer).toJson(QJsonDocument::Compact) << Qt::endl;
        return 0;
    } catch (const Kav::Rpc::RpcError& error) {
        err << "kavcall: error " << error.code() << ": " << error.message() << Qt::endl;
        const QString hint = error.code() == Kav::Rpc::Unauthorized
                                 ? hintFor(error.code(), !certificate.isEmpty(), !token.isEmpty())
                                 : QString();
        if (!hint.isEmpty())
            err << "kavcall: " << hint << Qt::endl;
    } catch (const Kav::Exception& error) {
        err << "kavcall: " << error.message() << Qt::endl;
        const QString hint = hintFor(connection.LastRefusalCode(), !certificate.isEmpty(), !token.isEmpty());
        if (!hint.isEmpty())
            err << "kavcall: " << hint << Qt::endl;
    }
    return kCallFailed;
}
