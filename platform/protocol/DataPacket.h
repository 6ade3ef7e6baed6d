#pragma once
// A data packet: field definitions and rows, as the application server hands result sets to
// the client, which sets them whole into a client data set.

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace Kav {

struct FieldDef
{
    enum class Type { String, FixedString, Integer, Float, Boolean, Date, DateTime };

    QString name;
    Type type = Type::String;
    int size = 0; // characters, for the text types

    bool operator==(const FieldDef&) const = default;
};

struct DataPacket
{
    QList<FieldDef> fields;
    QList<QVariantList> rows; // one value per field, in field order; QVariant() is null

    int indexOf(const QString& fieldName) const
    {
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool operator==(const DataPacket&) const = default;
};

} // namespace Kav

Q_DECLARE_METATYPE(Kav::DataPacket)
