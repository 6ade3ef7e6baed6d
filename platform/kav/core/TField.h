#pragma once
// One column of a data set: its layout settings (name, size, label, visibility...) and the value
// of the data set's current row, read in the form the caller needs.

#include "DataPacket.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

class TDataSet;

class TField : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FieldName READ FieldName WRITE setFieldName)
    Q_PROPERTY(int Size READ Size WRITE setSize)
    Q_PROPERTY(QString DisplayLabel READ DisplayLabel WRITE setDisplayLabel)
    Q_PROPERTY(int DisplayWidth READ DisplayWidth WRITE setDisplayWidth)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(bool Required READ Required WRITE setRequired)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(QString EditMask READ EditMask WRITE setEditMask)

public:
    explicit TField(QObject* parent = nullptr);

    QString FieldName() const { return m_fieldName; }
    void setFieldName(const QString& name) { m_fieldName = name; }
    // Characters of a text field; 0 for the other kinds.
    int Size() const { return m_size < 0 ? defaultSize() : m_size; }
    void setSize(int size) { m_size = size; }
    // The column title of lookup lists; the field name unless set.
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel; }
    void setDisplayLabel(const QString& label) { m_displayLabel = label; }
    // Characters a lookup list column shows; the field kind's default unless set.
    int DisplayWidth() const { return m_displayWidth < 0 ? defaultDisplayWidth() : m_displayWidth; }
    void setDisplayWidth(int width) { m_displayWidth = width; }
    bool Visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool Required() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    QString EditMask() const { return m_editMask; }
    void setEditMask(const QString& mask) { m_editMask = mask; }

    // The data set the field belongs to (its parent), or null.
    TDataSet* DataSet() const;

    virtual Kav::FieldDef::Type dataType() const = 0;

    // The current row's value; reading a field of a closed data set throws Kav::Exception.
    QVariant AsVariant() const;
    bool IsNull() const;
    // Null reads as "", 0, or an invalid date-time.
    virtual QString AsString() const;
    qlonglong AsInteger() const;
    double AsFloat() const;
    virtual QDateTime AsDateTime() const;
    bool AsBoolean() const;

    // A value as the database or a data packet gives it, turned into this field's kind.
    // Null stays null (an invalid QVariant); a value that does not fit throws Kav::Exception.
    virtual QVariant toFieldValue(const QVariant& raw) const = 0;

    // Created by the data set for a result column that has no field of the form's layout.
    bool isDynamic() const { return m_dynamic; }
    void setDynamic(bool dynamic) { m_dynamic = dynamic; }

protected:
    virtual int defaultSize() const { return 0; }
    virtual int defaultDisplayWidth() const = 0;
    [[noreturn]] void badValue(const QVariant& raw) const;

private:
    QString m_fieldName;
    QString m_displayLabel;
    QString m_editMask;
    int m_size = -1;
    int m_displayWidth = -1;
    bool m_visible = true;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_dynamic = false;
};
