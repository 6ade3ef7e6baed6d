#pragma once
// A read-only set of rows with a current row, read through its fields: the common ground of the
// multi-dialect query and the client data set.
//
// Fields are the TField children of the data set, in creation order. Fields written in a form's
// layout are persistent: opening binds each to the result column of its FieldName and refuses a
// result that lacks one. Without persistent fields, opening creates one field per column
// (dynamic fields, removed again on Close). The whole result is held in memory.

#include "DataPacket.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

class TField;

class TDataSet : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive NOTIFY dataChanged)

public:
    explicit TDataSet(QObject* parent = nullptr);

    void Open();
    void Close();
    bool Active() const { return m_active; }
    void setActive(bool active);

    void First();
    void Next();
    void Prior();
    void Last();
    // True when there is no row, or Next was called on the last row (which stays current).
    bool Eof() const { return m_eof; }
    // True when there is no row, or Prior was called on the first row (which stays current).
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return m_rows.isEmpty(); }
    int RecordCount() const { return int(m_rows.size()); }
    // 1-based number of the current row; 0 when there is none.
    int RecNo() const { return m_rows.isEmpty() ? 0 : m_current + 1; }
    // Makes row `recNo` (1-based) current; throws Kav::Exception when there is no such row.
    void setRecNo(int recNo);

    // Throws Kav::Exception naming the data set and the field when there is none.
    TField* FieldByName(const QString& name) const;
    TField* FindField(const QString& name) const;
    QList<TField*> Fields() const;
    // The fields a lookup list shows, in order.
    QList<TField*> visibleFields() const;

    // The current row's value of `field` (null when there is no row). Throws when closed.
    QVariant currentValue(const TField* field) const;

signals:
    // Opened, closed, or its rows replaced.
    void dataChanged();
    // Another row became current.
    void currentChanged();

protected:
    struct Result
    {
        QList<Kav::FieldDef> columns;
        QList<QVariantList> rows; // values in column order
    };

    // Produces the rows to show; throws Kav::Exception when it cannot.
    virtual Result fetch() = 0;

    // Re-reads the rows while open (a client data set given new data).
    void reload();

    // "qryTipoCard" for messages; the class name when the data set has no name.
    QString displayName() const;

private:
    void load();
    void bindFields(const Result& result, QList<int>& columnOfField);
    void removeDynamicFields();
    void moveTo(int row);

    QList<QVariantList> m_rows; // values in Fields() order
    QList<TField*> m_boundFields;
    int m_current = 0;
    bool m_active = false;
    bool m_eof = true;
    bool m_bof = true;
};
