#include "HandlerSignatures.h"

#include <QHash>

namespace KavBind {

namespace {

const QString kSenderOnly = QStringLiteral("QObject* Sender");

// Events whose handler is told more than who fired it.
const QHash<QString, QString> kWithArguments = {
    {QStringLiteral("OnClose"), QStringLiteral("QObject* Sender, TCloseAction& Action")},
    {QStringLiteral("OnKeyDown"),
     QStringLiteral("QObject* Sender, quint16& Key, Qt::KeyboardModifiers Shift")},
    {QStringLiteral("OnKeyPress"), QStringLiteral("QObject* Sender, QChar& Key")},
    {QStringLiteral("OnBeforePesq"), QStringLiteral("QObject* Sender, bool& Proceed")},
    {QStringLiteral("OnBeforeGetQueryParams"), QStringLiteral("TParams& Params, bool& Cancel")},
};

const QStringList kSenderOnlyEvents = {
    QStringLiteral("OnActivate"),      QStringLiteral("OnAfterPesq"),      QStringLiteral("OnBeforeConnect"),
    QStringLiteral("OnChange"),        QStringLiteral("OnClick"),          QStringLiteral("OnCreate"),
    QStringLiteral("OnEnter"),         QStringLiteral("OnExit"),           QStringLiteral("OnPopup"),
    QStringLiteral("OnQRPAfterPrint"), QStringLiteral("OnQRPAfterPreview")};

} // namespace

std::optional<QString> handlerParameters(const QString& event)
{
    if (const auto found = kWithArguments.constFind(event); found != kWithArguments.cend())
        return *found;
    if (kSenderOnlyEvents.contains(event))
        return kSenderOnly;
    return std::nullopt;
}

} // namespace KavBind
