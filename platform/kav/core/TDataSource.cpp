#include "TDataSource.h"

#include "TDataSet.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

void TDataSource::setDataSet(TDataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (m_dataSet) {
        connect(m_dataSet, &TDataSet::dataChanged, this, &TDataSource::dataChanged);
        connect(m_dataSet, &TDataSet::currentChanged, this, &TDataSource::currentChanged);
    }
    emit dataChanged();
}
