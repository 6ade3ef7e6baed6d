#include "TDataSet.h"

#include "KavException.h"
#include "TBooleanField.h"
#include "TDateField.h"
#include "TFloatField.h"
#include "TIntegerField.h"
#include "TStringField.h"

namespace {

TField* createDynamicField(const Kav::FieldDef& column, QObject* parent)
{
    TField* field = nullptr;
    switch (column.type) {
    case Kav::FieldDef::Type::String:
    case Kav::FieldDef::Type::FixedString: {
        auto* text = new TStringField(parent);
        text->setFixedChar(column.type == Kav::FieldDef::Type::FixedString);
        field = text;
        break;
    }
    case Kav::FieldDef::Type::Integer:
        field = new TIntegerField(parent);
        break;
    case Kav::FieldDef::Type::Float:
        field = new TFloatField(parent);
        break;
    case Kav::FieldDef::Type::Boolean:
        field = new TBooleanField(parent);
        break;
    case Kav::FieldDef::Type::Date:
        field = new TDateField(parent);
        break;
    case Kav::FieldDef::Type::DateTime:
        field = new TDateTimeField(parent);
        break;
    }
    field->setFieldName(column.name);
    if (column.size > 0)
        field->setSize(column.size);
    field->setDynamic(true);
    field->setObjectName(parent->objectName() + column.name);
    return field;
}

} // namespace

TDataSet::TDataSet(QObject* parent) : QObject(parent) {}

QString TDataSet::displayName() const
{
    return objectName().isEmpty() ? QString::fromLatin1(metaObject()->className()) : objectName();
}

void TDataSet::setActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open()
{
    if (m_active)
        return;
    load();
    m_active = true;
    emit dataChanged();
    emit currentChanged();
}

void TDataSet::Close()
{
    if (!m_active)
        return;
    m_active = false;
    m_rows.clear();
    m_boundFields.clear();
    m_current = 0;
    m_eof = m_bof = true;
    removeDynamicFields();
    emit dataChanged();
}

void TDataSet::reload()
{
    if (!m_active)
        return;
    m_active = false;
    removeDynamicFields();
    try {
        load();
    } catch (...) {
        m_rows.clear();
        m_boundFields.clear();
        m_current = 0;
        m_eof = m_bof = true;
        emit dataChanged();
        throw;
    }
    m_active = true;
    emit dataChanged();
    emit currentChanged();
}

void TDataSet::load()
{
    const Result result = fetch();
    QList<int> columnOfField;
    bindFields(result, columnOfField);

    QList<QVariantList> rows;
    rows.reserve(result.rows.size());
    for (const QVariantList& source : result.rows) {
        QVariantList row;
        row.reserve(m_boundFields.size());
        for (int i = 0; i < m_boundFields.size(); ++i)
            row << m_boundFields[i]->toFieldValue(source.value(columnOfField[i]));
        rows << row;
    }
    m_rows = std::move(rows);
    m_current = 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void TDataSet::bindFields(const Result& result, QList<int>& columnOfField)
{
    QList<TField*> persistent = Fields();
    if (persistent.isEmpty()) {
        for (const Kav::FieldDef& column : result.columns)
            createDynamicField(column, this);
        persistent = Fields();
    }
    for (TField* field : persistent) {
        int column = -1;
        for (int i = 0; i < result.columns.size() && column < 0; ++i)
            if (result.columns[i].name.compare(field->FieldName(), Qt::CaseInsensitive) == 0)
                column = i;
        if (column < 0) {
            removeDynamicFields();
            throw Kav::Exception(QStringLiteral("%1: field '%2' not found in the result.")
                                     .arg(displayName(), field->FieldName()));
        }
        columnOfField << column;
    }
    m_boundFields = persistent;
}

void TDataSet::removeDynamicFields()
{
    for (TField* field : Fields())
        if (field->isDynamic())
            delete field;
}

void TDataSet::moveTo(int row)
{
    const bool moved = row != m_current;
    m_current = row;
    if (moved)
        emit currentChanged();
}

void TDataSet::First()
{
    m_bof = true;
    m_eof = m_rows.isEmpty();
    moveTo(0);
}

void TDataSet::Next()
{
    if (m_current + 1 < m_rows.size()) {
        m_bof = false;
        moveTo(m_current + 1);
    } else {
        m_eof = true;
    }
}

void TDataSet::Prior()
{
    if (m_current > 0) {
        m_eof = false;
        moveTo(m_current - 1);
    } else {
        m_bof = true;
    }
}

void TDataSet::Last()
{
    m_eof = true;
    m_bof = m_rows.isEmpty();
    moveTo(m_rows.isEmpty() ? 0 : int(m_rows.size()) - 1);
}

void TDataSet::setRecNo(int recNo)
{
    if (recNo < 1 || recNo > m_rows.size())
        throw Kav::Exception(
            QStringLiteral("%1 has no row %2 (it has %3).").arg(displayName()).arg(recNo).arg(m_rows.size()));
    m_bof = m_eof = false;
    moveTo(recNo - 1);
}

TField* TDataSet::FindField(const QString& name) const
{
    for (TField* field : Fields())
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* field = FindField(name);
    if (!field)
        throw Kav::Exception(QStringLiteral("%1: field '%2' not found.").arg(displayName(), name));
    return field;
}

QList<TField*> TDataSet::Fields() const
{
    QList<TField*> fields;
    for (QObject* child : children())
        if (auto* field = qobject_cast<TField*>(child))
            fields << field;
    return fields;
}

QList<TField*> TDataSet::visibleFields() const
{
    QList<TField*> fields;
    for (TField* field : Fields())
        if (field->Visible())
            fields << field;
    return fields;
}

QVariant TDataSet::currentValue(const TField* field) const
{
    if (!m_active)
        throw Kav::Exception(QStringLiteral("%1: cannot read field '%2' of a closed data set.")
                                 .arg(displayName(), field->FieldName()));
    const qsizetype index = m_boundFields.indexOf(const_cast<TField*>(field));
    if (index < 0)
        throw Kav::Exception(QStringLiteral("%1: field '%2' was added after the data set opened.")
                                 .arg(displayName(), field->FieldName()));
    return m_rows.isEmpty() ? QVariant() : m_rows[m_current][index];
}
