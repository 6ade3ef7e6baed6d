#pragma once
// One named parameter of a query (":P_CDFILIAL") and the value it binds. An empty text or a
// cleared parameter binds NULL on every engine, so "NVL(:P, column)" means "no filter".

#include <QObject>
#include <QString>
#include <QVariant>

class TParameter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ParamName READ ParamName WRITE setParamName)
    Q_PROPERTY(TFieldType DataType READ DataType WRITE setDataType)

public:
    // ftUnknown follows the type of the value bound to it; the others convert the value.
    enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDate, ftDateTime, ftBoolean };
    Q_ENUM(TFieldType)

    explicit TParameter(QObject* parent = nullptr);

    QString ParamName() const { return m_paramName; }
    void setParamName(const QString& name) { m_paramName = name; }
    TFieldType DataType() const { return m_dataType; }
    void setDataType(TFieldType type) { m_dataType = type; }

    void setAsString(const QString& text) { setValue(text); }
    void setValue(const QVariant& value);
    void Clear() { m_value = QVariant(); }
    QVariant Value() const { return m_value; }
    QString AsString() const { return m_value.toString(); }
    bool IsNull() const;

    // What reaches the database: NULL (typed after DataType) for a cleared parameter or an empty
    // text, otherwise the value converted to DataType. Throws Kav::Exception when it cannot be.
    QVariant boundValue() const;

private:
    QString m_paramName;
    TFieldType m_dataType = ftString;
    QVariant m_value;
};
