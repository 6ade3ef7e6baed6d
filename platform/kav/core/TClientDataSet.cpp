#include "TClientDataSet.h"

#include "KavException.h"
#include "TField.h"

TClientDataSet::TClientDataSet(QObject* parent) : TDataSet(parent) {}

void TClientDataSet::setData(const Kav::DataPacket& packet)
{
    for (const QVariantList& row : packet.rows)
        if (row.size() != packet.fields.size())
            throw Kav::Exception(QStringLiteral("%1: a row of the data packet has %2 values for %3 fields.")
                                     .arg(displayName())
                                     .arg(row.size())
                                     .arg(packet.fields.size()));
    m_packet = packet;
    m_hasPacket = true;
    if (Active())
        reload();
    else
        Open();
}

void TClientDataSet::EmptyDataSet()
{
    m_packet.rows.clear();
    if (Active())
        reload();
}

TDataSet::Result TClientDataSet::fetch()
{
    Result result;
    if (m_hasPacket) {
        result.columns = m_packet.fields;
        result.rows = m_packet.rows;
        return result;
    }
    const QList<TField*> fields = Fields();
    if (fields.isEmpty())
        throw Kav::Exception(QStringLiteral("%1: missing data packet.").arg(displayName()));
    for (const TField* field : fields)
        result.columns << Kav::FieldDef{field->FieldName(), field->dataType(), field->Size()};
    return result;
}
