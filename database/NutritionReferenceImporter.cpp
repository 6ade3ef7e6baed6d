#include "NutritionReferenceImporter.h"

#include "CsvImport.h"
#include "DbTransaction.h"

#include <QFileInfo>
#include <QMap>

namespace KavDb {

namespace {

constexpr double kWholeNeeds = 100.0; // coverage is a percent of the daily needs
const QString kGrams = QStringLiteral("g");

struct Named
{
    QString name;
    QString source;
};

struct Bound
{
    QString set;
    QVariant ageBand;
    QVariant coverage;
    QString nutrient;
    QString base;
    QVariant minimum;
    QVariant maximum;
    QVariant source;
};

QVariant orNull(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant();
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

class ReferenceFile
{
public:
    ReferenceFile(const QString& path, TextEncoding encoding, QSqlDatabase& db)
        : m_file(QFileInfo(path).fileName()), m_table(readCsvFile(path, encoding)), m_nutrients(db)
    {}

    void read()
    {
        using namespace CsvImport;
        const auto column = [&](const char* name) {
            return requireColumn(m_table, m_file, QLatin1String(name));
        };
        const int set = column("set"), setName = column("setName"), setSource = column("setSource"),
                  ageBand = column("ageBand"), ageBandName = column("ageBandName"),
                  coverage = column("coverage"), nutrient = column("nutrient"), base = column("base"),
                  minimum = column("minimum"), maximum = column("maximum"), source = column("source");
        for (int row = 0; row < m_table.rows.size(); ++row) {
            const QStringList& cells = m_table.rows[row];
            Bound bound;
            bound.set = requireText(m_table, row, set, m_file);
            sets.insert(bound.set, {requireText(m_table, row, setName, m_file),
                                    requireText(m_table, row, setSource, m_file)});
            const QString band = cells[ageBand].trimmed();
            if (!band.isEmpty())
                ageBands.insert(band, requireText(m_table, row, ageBandName, m_file));
            bound.ageBand = textOrNull(band);
            bound.coverage = orNull(checkedCoverage(row, coverage));
            bound.nutrient = m_nutrients.codeOf(m_table, row, nutrient, m_file);
            bound.base = requireText(m_table, row, base, m_file).toUpper();
            checkBase(row, bound);
            checkBounds(row, optionalNumber(m_table, row, minimum, m_file),
                        optionalNumber(m_table, row, maximum, m_file), bound);
            m_duplicates.add(
                m_file, m_table.lines[row],
                QStringList({bound.set, band, cells[coverage].trimmed(), bound.nutrient, bound.base})
                    .join(QLatin1Char('|')),
                QStringLiteral("a bound of nutrient %1 for this set, age band, coverage and base")
                    .arg(bound.nutrient));
            bound.source = textOrNull(cells[source].trimmed());
            bounds.append(bound);
        }
    }

    QMap<QString, Named> sets;
    QMap<QString, QString> ageBands;
    QList<Bound> bounds;

private:
    void checkBase(int row, const Bound& bound) const
    {
        if (bound.base != QLatin1String("Q") && bound.base != QLatin1String("E"))
            CsvImport::fail(m_file, m_table.lines[row],
                            QStringLiteral("base must be Q (an amount) or E (percent of energy), not \"%1\"")
                                .arg(bound.base));
        const QString unit = m_nutrients.unitOf(bound.nutrient);
        if (bound.base == QLatin1String("E") && unit != kGrams)
            CsvImport::fail(m_file, m_table.lines[row],
                            QStringLiteral("base E (percent of energy) fits only a nutrient weighed in g,"
                                           " whose grams yield energy; nutrient %1 is in %2: give it as an"
                                           " amount (base Q)")
                                .arg(bound.nutrient, unit));
    }

    std::optional<double> checkedCoverage(int row, int column) const
    {
        const std::optional<double> value = CsvImport::optionalNumber(m_table, row, column, m_file);
        if (value && (*value <= 0.0 || *value > kWholeNeeds))
            CsvImport::fail(
                m_file, m_table.lines[row],
                QStringLiteral("coverage is a percent of the daily needs, above 0 and at most 100"));
        return value;
    }

    void checkBounds(int row, const std::optional<double>& minimum, const std::optional<double>& maximum,
                     Bound& bound) const
    {
        if (!minimum && !maximum)
            CsvImport::fail(m_file, m_table.lines[row],
                            QStringLiteral("a row needs a minimum, a maximum or both"));
        if ((minimum && *minimum < 0.0) || (maximum && *maximum < 0.0) ||
            (minimum && maximum && *minimum > *maximum))
            CsvImport::fail(
                m_file, m_table.lines[row],
                QStringLiteral("the bounds must not be negative and the minimum not above the maximum"));
        bound.minimum = orNull(minimum);
        bound.maximum = orNull(maximum);
    }

    QString m_file;
    CsvTable m_table;
    CsvImport::NutrientNames m_nutrients;
    CsvImport::DuplicateCheck m_duplicates;
};

} // namespace

ReferenceImportCounts NutritionReferenceImporter::import(const QString& path, TextEncoding encoding)
{
    using CsvImport::run;
    const QString what = QStringLiteral("Importing the reference values");
    ReferenceFile file(path, encoding, m_db);
    file.read();

    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    for (auto it = file.ageBands.cbegin(); it != file.ageBands.cend(); ++it) {
        run(m_db, what, QStringLiteral("DELETE FROM FAIXAETARIA WHERE CDFAIXAETAR = ?"), {it.key()});
        run(m_db, what, QStringLiteral("INSERT INTO FAIXAETARIA (CDFAIXAETAR, NMFAIXAETAR) VALUES (?, ?)"),
            {it.key(), it.value()});
    }
    for (auto it = file.sets.cbegin(); it != file.sets.cend(); ++it) {
        run(m_db, what, QStringLiteral("DELETE FROM VALORREF WHERE CDCONJREF = ?"), {it.key()});
        run(m_db, what, QStringLiteral("DELETE FROM CONJREF WHERE CDCONJREF = ?"), {it.key()});
        run(m_db, what,
            QStringLiteral("INSERT INTO CONJREF (CDCONJREF, NMCONJREF, DSFONTE) VALUES (?, ?, ?)"),
            {it.key(), it->name, it->source});
    }
    QMap<QString, int> lines;
    for (const Bound& bound : std::as_const(file.bounds))
        run(m_db, what,
            QStringLiteral(
                "INSERT INTO VALORREF (CDCONJREF, NRLINHA, CDFAIXAETAR, PCCOBERTURA, CDNUTRIENTE, IDBASE,"
                " VRMINIMO, VRMAXIMO, DSFONTE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {bound.set, ++lines[bound.set], bound.ageBand, bound.coverage, bound.nutrient, bound.base,
             bound.minimum, bound.maximum, bound.source});
    transaction.commit();
    return {int(file.sets.size()), int(file.bounds.size())};
}

} // namespace KavDb
