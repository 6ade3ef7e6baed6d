#include "DataGenerator.h"

#include "BulkInserter.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "ReferenceData.h"
#include "SchemaInstaller.h"
#include "TacoImporter.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

namespace {

constexpr int SchoolsPerCentral = 8;
constexpr int MenuTypesPerCentral = 3; // the last one inactive
// Portions served, relative to a school-age pupil, by menu type: crèche, then primary school.
constexpr double PortionsByMenuType[] = {0.6, 1.0};
constexpr int SharedDishes = 240;
constexpr int OwnDishesPerCentral = 24;
constexpr int MinIngredients = 2;
constexpr int MaxIngredients = 6;
constexpr int MinGrams = 5;
constexpr int MaxGrams = 150;
constexpr int RecipeYield = 100;
constexpr int ServiceCount = 5;
constexpr int MinItemsPerService = 2;
constexpr int MaxItemsPerService = 7;
constexpr int OptionOneIn = 4; // about one item in four is an option dish
constexpr int MonthsPerYear = 12;
constexpr int DishTypeCount = Sobremesa;

// SplitMix64: tiny, fast and the same on every platform and library (std distributions are not).
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform enough in [low, high] for data generation.
    int between(int low, int high) { return low + int(next() % quint64(high - low + 1)); }

private:
    quint64 m_state;
};

struct GeneratedDish
{
    QString code;
    QString owner;
    QString type;
};

const char* const ServiceNames[ServiceCount] = {"Desjejum", "Lanche da manhã", "Almoço", "Lanche da tarde",
                                                "Jantar"};

QList<int> foodIds(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT CDALIMENTO FROM ALIMENTO ORDER BY CDALIMENTO")))
        throw Kav::Exception(QStringLiteral("Cannot read the foods: %1").arg(query.lastError().text()));
    QList<int> ids;
    while (query.next())
        ids << query.value(0).toInt();
    if (ids.isEmpty())
        throw Kav::Exception(QStringLiteral("There are no foods to build recipes from."));
    return ids;
}

void checkOptions(const GeneratorOptions& options)
{
    if (options.centrals < 1 || options.centrals > GeneratorOptions::MaxCentrals)
        throw Kav::Exception(
            QStringLiteral("--centrals must be between 1 and %1.").arg(GeneratorOptions::MaxCentrals));
    if (options.years < 1 || options.years > GeneratorOptions::MaxYears)
        throw Kav::Exception(
            QStringLiteral("--years must be between 1 and %1.").arg(GeneratorOptions::MaxYears));
}

} // namespace

DataGenerator::DataGenerator(QSqlDatabase db) : m_db(std::move(db)) {}

GeneratorCounts DataGenerator::generate(const GeneratorOptions& options)
{
    checkOptions(options);
    SchemaInstaller schema(m_db);
    schema.requireNoData(options.replace);
    {
        Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
        if (options.replace)
            schema.emptyTables();
        writeReferenceData(m_db);
        transaction.commit();
    }
    TacoImporter(m_db).import(demoFoodsDir());

    Random random(options.seed);
    GeneratorCounts counts;
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    const QList<int> foods = foodIds(m_db);

    BulkInserter branches(
        m_db, QStringLiteral("FILIAL"),
        {"CDFILIAL", "NMFILIAL", "IDFILCENTZVE", "CDFILCENTZVE", "IDCNTRRESC", "IDMATRIZ", "IDMODZVE"});
    BulkInserter menuTypes(m_db, QStringLiteral("TIPOCARD"),
                           {"CDFILCENTZVE", "CDTIPOCARD", "NMTIPOCARD", "IDTPCARDATIV"});
    BulkInserter links(m_db, QStringLiteral("FILITIPOCARD"),
                       {"CDFILCENTZVE", "CDFILIAL", "CDTIPOCARD", "IDTCARATFILI"});
    BulkInserter services(m_db, QStringLiteral("SERVFILI"),
                          {"CDFILIAL", "CDTIPOCARD", "CDSERVFILI", "NMSERVICO", "NRORDSERV"});
    BulkInserter dishes(m_db, QStringLiteral("PRATO"),
                        {"CDPRATO", "CDFILAUXPRAT", "NMPRATO", "CDNVPRATO", "CDTIPOPRAT", "QTRENDPRATO"});
    BulkInserter recipes(m_db, QStringLiteral("FICHATEC"),
                         {"CDPRATO", "CDFILAUXPRAT", "CDALIMENTO", "QTPESOLIQ"});
    BulkInserter menus(
        m_db, QStringLiteral("CARDZVE"),
        {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "DTINICARDZVE", "DTFINCARDZVE", "DSCARDZVE"});
    BulkInserter items(m_db, QStringLiteral("ITCARDZVE"),
                       {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "NRSEQITEM", "DTCARDAPIO", "CDSERVFILI",
                        "CDTIPOPRAT", "CDPRATO", "CDFILAUXPRAT", "IDOPCAO", "QTPORCAO"});
    const QVariant noText(QMetaType::fromType<QString>());

    const auto addDish = [&](int number, const QString& owner, QList<GeneratedDish>& into) {
        const GeneratedDish dish{storedCode(number, DishCodeWidth), owner,
                                 storedCode(random.between(1, DishTypeCount - 1), DishTypeCodeWidth)};
        dishes.add({dish.code, owner, QStringLiteral("Prato sintético %1").arg(number), DishLevels, dish.type,
                    RecipeYield});
        QList<int> used;
        const int ingredients = random.between(MinIngredients, MaxIngredients);
        for (int i = 0; i < ingredients; ++i) {
            const int food = foods[random.between(0, int(foods.size()) - 1)];
            if (used.contains(food))
                continue;
            used << food;
            recipes.add({dish.code, owner, food, double(random.between(MinGrams, MaxGrams) * RecipeYield)});
        }
        into << dish;
        ++counts.dishes;
    };

    QList<GeneratedDish> shared;
    int dishNumber = 0;
    for (int i = 0; i < SharedDishes; ++i)
        addDish(++dishNumber, QStringLiteral("P"), shared);

    int branchNumber = 0;
    for (int c = 1; c <= options.centrals; ++c) {
        const QString central = storedCode(++branchNumber, FilialCodeWidth);
        branches.add({central, QStringLiteral("Cozinha central %1").arg(c), flag(true), noText, flag(false),
                      flag(false), flag(true)});
        QStringList schools;
        for (int s = 1; s <= SchoolsPerCentral; ++s) {
            schools << storedCode(++branchNumber, FilialCodeWidth);
            branches.add({schools.last(), QStringLiteral("Escola %1 da cozinha %2").arg(s).arg(c),
                          flag(false), central, flag(false), flag(false), flag(true)});
        }
        counts.branches += 1 + SchoolsPerCentral;

        QList<GeneratedDish> available = shared;
        for (int i = 0; i < OwnDishesPerCentral; ++i)
            addDish(++dishNumber, central, available);

        for (int t = 1; t <= MenuTypesPerCentral; ++t) {
            const QString type = storedCode(t, MenuTypeCodeWidth);
            const bool active = t < MenuTypesPerCentral;
            menuTypes.add({central, type, QStringLiteral("Tipo de cardápio %1").arg(t), flag(active)});
            for (const QString& school : schools)
                links.add({central, school, type, flag(random.between(0, 3) > 0)});
            QList<int> typeServices;
            for (int s = 1; s <= ServiceCount; ++s) {
                if (random.between(0, 1) == 0 && s != ServiceCount) // lunch (or dinner) always served
                    continue;
                typeServices << s;
                services.add({central, type, storedCode(s, ServiceCodeWidth),
                              QString::fromUtf8(ServiceNames[s - 1]), s});
            }
            if (!active)
                continue;
            int menuNumber = 0;
            for (int y = 0; y < options.years; ++y) {
                for (int month = 1; month <= MonthsPerYear; ++month) {
                    const QDate first(options.firstYear + y, month, 1);
                    const QDate last = first.addDays(first.daysInMonth() - 1);
                    const QString number = storedCode(++menuNumber, MenuNumberWidth);
                    menus.add({central, type, number, first, last,
                               QStringLiteral("Cardápio %1/%2").arg(month).arg(first.year())});
                    ++counts.menus;
                    int sequence = 0;
                    for (QDate day = first; day <= last; day = day.addDays(1)) {
                        if (day.dayOfWeek() > Qt::Friday)
                            continue;
                        for (int service : typeServices) {
                            const int count = random.between(MinItemsPerService, MaxItemsPerService);
                            for (int i = 0; i < count; ++i) {
                                const GeneratedDish& dish =
                                    available[random.between(0, int(available.size()) - 1)];
                                items.add({central, type, number, ++sequence, day,
                                           storedCode(service, ServiceCodeWidth), dish.type, dish.code,
                                           dish.owner, flag(random.between(1, OptionOneIn) == 1),
                                           PortionsByMenuType[(t - 1) % std::size(PortionsByMenuType)]});
                                ++counts.menuItems;
                            }
                        }
                    }
                }
            }
        }
    }
    for (BulkInserter* inserter :
         {&branches, &menuTypes, &links, &services, &dishes, &recipes, &menus, &items})
        inserter->flush();
    transaction.commit();
    return counts;
}

} // namespace KavDb
