#include "ConsisteServ.h"

#include "KavException.h"

namespace Consiste {

namespace {

Kav::DataPacket refuse(bool raiseOnError, const QString& message)
{
    if (raiseOnError)
        throw Kav::Exception(message);
    return {};
}

} // namespace

Kav::DataPacket CheckResultServ(const QVariant& result, bool raiseOnError, int index)
{
    QVariant answer = result;
    if (answer.metaType().id() == QMetaType::QVariantList) {
        const QVariantList elements = answer.toList();
        if (index < 0 || index >= elements.size())
            return refuse(raiseOnError,
                          QStringLiteral("Resposta do servidor de aplicação sem o elemento %1.").arg(index));
        answer = elements.at(index);
    }
    if (answer.metaType() == QMetaType::fromType<Kav::DataPacket>())
        return answer.value<Kav::DataPacket>();
    if (answer.metaType().id() == QMetaType::QString && !answer.toString().trimmed().isEmpty())
        return refuse(raiseOnError, answer.toString());
    return refuse(raiseOnError, QStringLiteral("Resposta inesperada do servidor de aplicação (%1).")
                                    .arg(answer.isNull() ? QStringLiteral("vazia")
                                                         : QString::fromLatin1(answer.typeName())));
}

} // namespace Consiste
