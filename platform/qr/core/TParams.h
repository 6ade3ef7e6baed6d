#pragma once
// The parameters a report layout declares for its query, in declaration order, found by name
// without regard to case.

#include "TParam.h"

#include <QList>
#include <QMetaType>

namespace Qr {

class TParams
{
public:
    TParams() = default;

    // Kav::Exception when the name is already there.
    TParam& Add(const QString& name, TFieldType declaredType = TFieldType::ftUnknown);

    int Count() const { return int(m_items.size()); }
    TParam& Items(int index) { return m_items[index]; }
    const TParam& Items(int index) const { return m_items[index]; }

    // Null when absent.
    TParam* FindParam(const QString& name);
    const TParam* FindParam(const QString& name) const;
    // Kav::Exception naming the parameter when absent.
    TParam& ParamByName(const QString& name);
    const TParam& ParamByName(const QString& name) const;

    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    QList<TParam> m_items;
};

} // namespace Qr

Q_DECLARE_METATYPE(Qr::TParams)

// Screens name the collection their report-parameter handler receives as TParams, unqualified.
using Qr::TParams;
