#pragma once
// Links a data set to the controls and dialogs that show it (lookup buttons, selection lists).

#include <QObject>
#include <QPointer>

#include "TDataSet.h"

class TDataSource : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TDataSet* DataSet READ DataSet WRITE setDataSet)

public:
    explicit TDataSource(QObject* parent = nullptr);

    TDataSet* DataSet() const { return m_dataSet; }
    void setDataSet(TDataSet* dataSet);

signals:
    // The data set was opened, closed or refilled, or another one was linked.
    void dataChanged();
    // The data set's current row moved.
    void currentChanged();

private:
    QPointer<TDataSet> m_dataSet;
};
