#include "TParams.h"

#include "KavException.h"

namespace Qr {

TParam& TParams::Add(const QString& name, TFieldType declaredType)
{
    if (FindParam(name))
        throw Kav::Exception(QStringLiteral("Parâmetro %1 declarado duas vezes.").arg(name));
    m_items.append(TParam(name, declaredType));
    return m_items.last();
}

TParam* TParams::FindParam(const QString& name)
{
    for (TParam& param : m_items)
        if (param.Name().compare(name, Qt::CaseInsensitive) == 0)
            return &param;
    return nullptr;
}

const TParam* TParams::FindParam(const QString& name) const
{
    return const_cast<TParams*>(this)->FindParam(name);
}

TParam& TParams::ParamByName(const QString& name)
{
    if (TParam* param = FindParam(name))
        return *param;
    throw Kav::Exception(QStringLiteral("Parâmetro %1 não encontrado.").arg(name));
}

const TParam& TParams::ParamByName(const QString& name) const
{
    return const_cast<TParams*>(this)->ParamByName(name);
}

} // namespace Qr
