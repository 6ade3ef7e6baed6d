#pragma once
// One named parameter of a report layout's query: the type the layout declared for it, if any,
// and the value bound to it.

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace Qr {

enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDate, ftDateTime };

// "string", "integer", "float", "date", "datetime"; empty for ftUnknown.
QString fieldTypeName(TFieldType type);
// ftUnknown for an unknown name.
TFieldType fieldTypeFromName(const QString& name);

class TParam
{
public:
    explicit TParam(const QString& name, TFieldType declaredType = TFieldType::ftUnknown);

    const QString& Name() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    TFieldType DeclaredType() const { return m_declaredType; }
    const QVariant& Value() const { return m_value; }
    bool IsNull() const;

    // "As value": a parameter whose type the layout declared keeps that type and the value is
    // converted to it (Kav::Exception when it cannot be); a parameter without a declared type
    // takes the type of the value (text, number, or date-time for dates).
    void setValue(const QVariant& value);
    // "As text": the parameter becomes a text parameter holding the text.
    void setAsString(const QString& text);
    void Clear();

    QString AsString() const;
    QDateTime AsDateTime() const;

    // The value as the database driver receives it. An empty text is NULL on every engine.
    QVariant boundValue() const;

private:
    QVariant converted(const QVariant& value, TFieldType type) const;

    QString m_name;
    TFieldType m_declaredType;
    TFieldType m_type;
    QVariant m_value;
};

} // namespace Qr
