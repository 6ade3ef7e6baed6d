#pragma once
// One value of a stored layout property, as written: text, number, boolean, identifier, set,
// list of texts or binary data.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Kav {

struct LayoutValue
{
    enum class Kind { String, Integer, Float, Boolean, Identifier, Set, List, Binary };

    Kind kind = Kind::String;
    QVariant scalar;   // String, Integer, Float, Boolean, Identifier
    QStringList items; // Set members, List entries
    QByteArray binary; // Binary

    bool isIdentifier() const { return kind == Kind::Identifier; }
    QString identifier() const { return kind == Kind::Identifier ? scalar.toString() : QString(); }

    // The value as a QVariant for a plain property write: lists become QStringList, binary
    // data a QByteArray, a set the list of its members.
    QVariant toVariant() const
    {
        switch (kind) {
        case Kind::Set:
        case Kind::List:
            return items;
        case Kind::Binary:
            return binary;
        default:
            return scalar;
        }
    }
};

} // namespace Kav
