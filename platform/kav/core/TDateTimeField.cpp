#include "TDateTimeField.h"

namespace {
constexpr int DateTimeDisplayWidth = 18;
}

QVariant TDateTimeField::toFieldValue(const QVariant& raw) const
{
    if (raw.isNull())
        return {};
    QDateTime value;
    switch (raw.typeId()) {
    case QMetaType::QDateTime:
        value = raw.toDateTime();
        break;
    case QMetaType::QDate:
        value = raw.toDate().startOfDay();
        break;
    default: {
        const QString text = raw.toString().trimmed();
        value = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!value.isValid())
            value = QDate::fromString(text, Qt::ISODate).startOfDay();
    }
    }
    if (!value.isValid())
        badValue(raw);
    return value;
}

QString TDateTimeField::AsString() const
{
    const QDateTime value = AsDateTime();
    if (!value.isValid())
        return {};
    return value.time() == QTime(0, 0) ? value.toString(QStringLiteral("dd/MM/yyyy"))
                                       : value.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

int TDateTimeField::defaultDisplayWidth() const
{
    return DateTimeDisplayWidth;
}
