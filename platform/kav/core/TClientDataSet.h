#pragma once
// A data set filled whole from a data packet (the application server's result sets), its field
// definitions stored with the form. Setting data replaces every row and leaves it open.

#include "DataPacket.h"
#include "TDataSet.h"

class TClientDataSet : public TDataSet
{
    Q_OBJECT

public:
    explicit TClientDataSet(QObject* parent = nullptr);

    // Replaces the content and opens. A packet lacking a column of a persistent field throws
    // Kav::Exception and leaves the data set closed.
    void setData(const Kav::DataPacket& packet);
    const Kav::DataPacket& data() const { return m_packet; }

    // Drops the rows but keeps the data set open (a packet with no rows).
    void EmptyDataSet();

protected:
    // Without data, a data set with persistent fields opens empty; one without fields cannot.
    Result fetch() override;

private:
    Kav::DataPacket m_packet;
    bool m_hasPacket = false;
};
