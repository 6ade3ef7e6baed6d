#include "NutriCardWriter.h"

#include "BoundQuery.h"
#include "NutriCardRowInserter.h"

namespace KavServer::Zve41300 {

namespace {

QVariant textOrNull(const QString& text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

QVariant dateOrNull(const QDate& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant flag(bool set)
{
    return set ? QStringLiteral("S") : QStringLiteral("N");
}

template <class T> QVariant optionalOrNull(const std::optional<T>& value)
{
    return value ? QVariant(*value) : QVariant();
}

// The columns NUTRICARD and NUTRICARDPRATO begin with: key, line, day, week, service and dish. The
// row's own columns are appended to the same list: thousands of rows are built per batch.
QVariantList placeColumns(const QString& key, int line, const NutriCardRow& row, qsizetype width)
{
    QVariantList values;
    values.reserve(width);
    values << key << line << dateOrNull(row.day) << row.week << dateOrNull(row.weekStart)
           << textOrNull(row.service) << textOrNull(row.serviceName) << optionalOrNull(row.serviceOrder)
           << textOrNull(row.dishType) << textOrNull(row.dishTypeName) << textOrNull(row.dish)
           << textOrNull(row.dishOwner) << textOrNull(row.dishName) << textOrNull(row.option);
    return values;
}

} // namespace

void NutriCardWriter::writeHeader(const QString& key, const QDateTime& createdUtc,
                                  const NutriCardCriteria& criteria, const QString& kindText,
                                  const QVariant& comparedShare) const
{
    Kav::BoundQuery header(
        m_db,
        QStringLiteral("INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD,"
                       " DTINICIAL, DTFINAL, IDTIPOREL, PCCOBERTURA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        QStringLiteral("store the prepared data's header"));
    const QVariantList headerValues{key,
                                    createdUtc,
                                    criteria.central,
                                    criteria.branch,
                                    criteria.menuType,
                                    criteria.firstDay,
                                    criteria.lastDay,
                                    kindText,
                                    comparedShare.isNull() ? QVariant(QMetaType::fromType<double>())
                                                           : comparedShare};
    for (int i = 0; i < headerValues.size(); ++i)
        header.bind(i, headerValues[i]);
    header.exec();
}

int NutriCardWriter::appendRows(const QString& key, const QList<NutriCardRow>& rows, int lastLine) const
{
    QList<QVariantList> values;
    values.reserve(rows.size());
    int line = lastLine;
    const qsizetype width = NutriCardRowInserter::columns(NutriCardRowInserter::Table::ReportRows).size();
    for (const NutriCardRow& row : rows) {
        QVariantList& columns = values.emplace_back(placeColumns(key, ++line, row, width));
        columns << row.nutrient << row.nutrientName << row.unit << optionalOrNull(row.amount.value)
                << flag(row.amount.incomplete) << optionalOrNull(row.ndpcal)
                << (row.ndpcal ? flag(row.ndpcalIncomplete) : QVariant()) << optionalOrNull(row.days);
    }
    NutriCardRowInserter(m_db, NutriCardRowInserter::Table::ReportRows).insert(values);
    return line;
}

int NutriCardWriter::appendDishFigures(const QString& key, const QList<NutriCardRow>& rows,
                                       int lastLine) const
{
    QList<QVariantList> values;
    values.reserve(rows.size());
    int line = lastLine;
    const qsizetype width = NutriCardRowInserter::columns(NutriCardRowInserter::Table::DishFigures).size();
    for (const NutriCardRow& row : rows) {
        const bool diet = row.nutrient.isNull();
        QVariantList& columns = values.emplace_back(placeColumns(key, ++line, row, width));
        columns << textOrNull(row.nutrient) << (diet ? QVariant() : optionalOrNull(row.amount.value))
                << (diet ? QVariant() : flag(row.amount.incomplete))
                << (diet ? optionalOrNull(row.energy.value) : QVariant())
                << (diet ? optionalOrNull(row.netProtein.value) : QVariant())
                << (diet ? flag(row.energy.incomplete || row.netProtein.incomplete) : QVariant());
    }
    NutriCardRowInserter(m_db, NutriCardRowInserter::Table::DishFigures).insert(values);
    return line;
}

void NutriCardWriter::writeNotes(const QString& key, const QList<NutriCardNotes::Line>& notes) const
{
    QList<QVariantList> values;
    values.reserve(notes.size());
    for (int line = 0; line < notes.size(); ++line)
        values.append({key, line + 1, notes[line].text, textOrNull(notes[line].dishType)});
    NutriCardRowInserter(m_db, NutriCardRowInserter::Table::Notes).insert(values);
}

int NutriCardWriter::removeWhere(const QString& keyFilter, const QString& name, const QVariant& value) const
{
    for (const QString& table :
         {QStringLiteral("NUTRICARD"), QStringLiteral("NUTRICARDPRATO"), QStringLiteral("NUTRICARDNOTA")}) {
        Kav::BoundQuery rows(m_db, QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, keyFilter),
                             QStringLiteral("delete the prepared data"));
        rows.bind(name, value);
        rows.exec();
    }
    Kav::BoundQuery headers(m_db, QStringLiteral("DELETE FROM NUTRICARDCAB WHERE %1").arg(keyFilter),
                            QStringLiteral("delete the prepared data's header"));
    headers.bind(name, value);
    headers.exec();
    return headers.rowsAffected();
}

bool NutriCardWriter::remove(const QString& key) const
{
    return removeWhere(QStringLiteral("NRSEQUNUTR = :KEY"), QStringLiteral(":KEY"), key) > 0;
}

} // namespace KavServer::Zve41300
