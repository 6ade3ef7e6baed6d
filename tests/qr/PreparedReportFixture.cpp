#include "PreparedReportFixture.h"

#include "KavException.h"
#include "NutrientCatalogue.h"
#include "SchemaInstaller.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The share of the menu type (TIPOCARD.PCCOBERTURA below) that the server stores with a report
// when the menu type's services a day fit it.
constexpr int kComparedShare = 20;

using KavDb::Nutrient;

// The report's columns: the first eight nutrients of the catalogue. Read through functions, not
// globals: the test's own globals ask for them while statics are being initialised.
constexpr int kNutrientCount = 8;

const QList<Nutrient>& columns()
{
    static const QList<Nutrient> chosen = KavDb::nutrientCatalogue().mid(0, kNutrientCount);
    return chosen;
}

// Chosen besides the first eight, printed in a second block of columns; in the catalogue's order
// (the order of their codes, which the data export follows).
const QList<Nutrient>& extraColumns()
{
    static const QList<Nutrient> chosen = [] {
        const QStringList tacoColumns = {QStringLiteral("vitaminC"), QStringLiteral("magnesium"),
                                         QStringLiteral("zinc")};
        QList<Nutrient> found;
        for (const Nutrient& nutrient : KavDb::nutrientCatalogue())
            if (tacoColumns.contains(QString::fromLatin1(nutrient.tacoColumn)))
                found.append(nutrient);
        return found;
    }();
    return chosen;
}

constexpr int kWeekDays = 5;
// NDpCal%: net protein × 4 kcal over the energy, in percent.
constexpr double kKcalPerGramProtein = 4.0;
constexpr double kPercent = 100.0;
constexpr double kWeekRise = 0.06; // each day of a week 6 % over the Monday
const QDate kMonday(2025, 3, 3);

QString run(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    // Statements without values run as they are: PostgreSQL prepares no schema statements.
    if (values.isEmpty())
        return query.exec(sql) ? QString() : sql + QStringLiteral(": ") + query.lastError().text();
    if (!query.prepare(sql))
        return sql + QStringLiteral(": ") + query.lastError().text();
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() ? QString() : sql + QStringLiteral(": ") + query.lastError().text();
}

QString yesNo(bool yes)
{
    return yes ? QStringLiteral("S") : QStringLiteral("N");
}

// Where a prepared row stands in the menu: service code, service, its order, dish type code, dish
// type, dish code, the dish's auxiliary branch, dish, option. Rows per day leave it all null.
constexpr int kPlaceColumns = 9;

// One prepared row of the per-dish, per-day or per-week report.
struct FixtureRow
{
    QVariant day;
    int week = 1;
    QDate weekStart = kMonday;
    QVariantList place = QVariantList(kPlaceColumns);
    const Nutrient* nutrient = nullptr;
    QVariant value;
    bool incomplete = false;
    QVariant ndpcal;
};

FixtureRow measured(const Nutrient& nutrient, const QVariant& value, bool incomplete = false,
                    const QVariant& ndpcal = {})
{
    FixtureRow row;
    row.nutrient = &nutrient;
    row.value = value;
    row.incomplete = incomplete;
    row.ndpcal = ndpcal;
    return row;
}

QVariantList dishPlace(const FixtureDish& d)
{
    return {d.serviceCode, d.service,           d.serviceOrder, d.typeCode,     d.type,
            d.dishCode,    QStringLiteral("P"), d.dish,         yesNo(d.option)};
}

QVariantList servicePlace(const QString& code, const QString& name, int order)
{
    QVariantList place(kPlaceColumns);
    place[0] = code;
    place[1] = name;
    place[2] = order;
    return place;
}

const QString kRowInsert = QStringLiteral(
    "INSERT INTO NUTRICARD (NRSEQUNUTR, NRLINHA, DTCARDAPIO, NRSEMANA, DTINISEMANA, CDSERVFILI, NMSERVICO, "
    "NRORDSERV, CDTIPOPRAT, NMTIPOPRAT, CDPRATO, CDFILAUXPRAT, NMPRATO, IDOPCAO, CDNUTRIENTE, NMNUTRIENTE, "
    "SGUNIDADE, VRNUTRIENTE, IDINCOMPLETO, VRNDPCAL) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, "
    "?, ?, ?)");

QVariantList rowValues(const QString& key, int line, const FixtureRow& row)
{
    QVariantList values = {key, line, row.day, row.week, row.weekStart};
    values += row.place;
    values += {QString::fromLatin1(row.nutrient->code),
               QString::fromUtf8(row.nutrient->name),
               QString::fromUtf8(row.nutrient->unit),
               row.value,
               yesNo(row.incomplete),
               row.ndpcal};
    return values;
}

FixtureDish dish(int dayOffset, int service, const char* typeCode, const char* type, const char* code,
                 const char* name, bool option, QList<QVariant> values, QStringList incomplete = {})
{
    static const QString services[][2] = {{QStringLiteral("00003"), QStringLiteral("Almoço")},
                                          {QStringLiteral("00004"), QStringLiteral("Lanche da tarde")}};
    return {kMonday.addDays(dayOffset),
            services[service][0],
            services[service][1],
            3 + service,
            QString::fromLatin1(typeCode),
            QString::fromUtf8(type),
            QString::fromLatin1(code),
            QString::fromUtf8(name),
            option,
            std::move(values),
            std::move(incomplete)};
}

} // namespace

QStringList PreparedReportFixture::nutrients()
{
    QStringList codes;
    for (const Nutrient& nutrient : columns())
        codes.append(QString::fromLatin1(nutrient.code));
    return codes;
}

QStringList PreparedReportFixture::extraNutrients()
{
    QStringList codes;
    for (const Nutrient& nutrient : extraColumns())
        codes.append(QString::fromLatin1(nutrient.code));
    return codes;
}

double PreparedReportFixture::extraValue(const FixtureDish& dish, int nutrient)
{
    return dish.values[0].toDouble() * 0.1 * (nutrient + 1);
}

QList<FixtureDish> PreparedReportFixture::dishes()
{
    const QVariant none;
    // Per portion: energy, protein, lipids, carbohydrate, fibre, calcium, iron, sodium.
    return {
        dish(0, 0, "02", "Guarnição", "0000000011", "Arroz branco", false,
             {161, 3.1, 0.3, 35.6, 1.9, 5, 0.2, 1.2}),
        dish(0, 0, "01", "Prato principal", "0000000012", "Frango ensopado", false,
             {190, 24.5, 8.9, 2.1, 0.4, 12, 0.8, 310}, {QStringLiteral("005")}),
        dish(0, 0, "01", "Prato principal", "0000000013", "Omelete", true,
             {154, 10.6, 11.8, 0.6, 0, 48, 1.2, 180}),
        dish(0, 0, "03", "Sobremesa", "0000000014", "Banana", false, {92, 1.3, 0.1, 23.8, 2.0, 3, 0.3, 0}),
        dish(0, 1, "01", "Prato principal", "0000000015", "Pão com manteiga", false,
             {220, 6.3, 7.9, 30.2, 1.5, 18, 0.7, 420}),
        dish(0, 1, "04", "Bebida", "0000000016", "Suco de laranja", false,
             {73, 1.1, 0.2, 16.8, 0.5, 11, 0.1, none}, {QStringLiteral("008")}),
        dish(1, 0, "02", "Guarnição", "0000000011", "Arroz branco", false,
             {161, 3.1, 0.3, 35.6, 1.9, 5, 0.2, 1.2}),
        dish(1, 0, "02", "Guarnição", "0000000017", "Feijão carioca", false,
             {76, 4.8, 0.5, 13.6, 8.5, 27, 1.3, 2}),
        dish(1, 0, "01", "Prato principal", "0000000018", "Carne moída refogada", false,
             {212, 26.7, 10.9, 0.4, 0, 6, 2.6, 280}),
        dish(1, 0, "03", "Sobremesa", "0000000019", "Maçã", false, {56, 0.3, 0.1, 15.2, 1.3, 2, 0.1, 0}),
        dish(1, 1, "01", "Prato principal", "0000000020", "Bolo de cenoura", false,
             {270, 4.1, 11.3, 38.5, 0.9, 36, 0.6, 190}),
        dish(1, 1, "04", "Bebida", "0000000021", "Leite com cacau", false,
             {130, 5.6, 4.6, 17.0, 0.6, 180, 0.4, 95}),
    };
}

double PreparedReportFixture::ndpcalOfDay(int day)
{
    return 5.8 + 0.6 * day;
}

double PreparedReportFixture::dayEnergy(int day)
{
    return 980 * (1 + 0.07 * day);
}

double PreparedReportFixture::ndpcal(const QDate& day)
{
    return day == kMonday ? 7.8 : 5.4;
}

QString PreparedReportFixture::fill(QSqlDatabase db)
{
    try {
        KavDb::SchemaInstaller(db).create(true);
    } catch (const Kav::Exception& error) {
        return error.message();
    }

    QStringList errors;
    const auto exec = [&](const QString& sql, const QVariantList& values) {
        if (const QString error = run(db, sql, values); !error.isEmpty())
            errors.append(error);
    };
    for (const QList<Nutrient>* chosen : {&extraColumns(), &columns()})
        for (const Nutrient& n : *chosen)
            exec(QStringLiteral("INSERT INTO NUTRIENTE (CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE, NMCOLTACO) "
                                "VALUES (?, ?, ?, ?)"),
                 {QString::fromLatin1(n.code), QString::fromUtf8(n.name), QString::fromUtf8(n.unit),
                  QString::fromLatin1(n.tacoColumn)});
    exec(QStringLiteral("INSERT INTO PARAMGERAL (CDCALORIAS, CDPROTEINA) VALUES (?, ?)"),
         {QStringLiteral("001"), QStringLiteral("002")});
    exec(QStringLiteral(
             "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDFILCENTZVE, CDFILCENTZVE) VALUES (?, ?, ?, ?)"),
         {Central, QStringLiteral("Central de Alimentação Norte"), QStringLiteral("S"), Central});
    exec(QStringLiteral(
             "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDFILCENTZVE, CDFILCENTZVE) VALUES (?, ?, ?, ?)"),
         {QStringLiteral("0002"), QStringLiteral("EM Monteiro Lobato"), QStringLiteral("N"), Central});

    const QDateTime created(kMonday, QTime(9, 0));
    const auto header = [&](const QString& key, const QString& branch, const QString& kind,
                            const QDate& last) {
        exec(QStringLiteral(
                 "INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD, "
                 "DTINICIAL, DTFINAL, IDTIPOREL, PCCOBERTURA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {key, created, Central, branch, QStringLiteral("0000000001"), kMonday, last, kind,
              kComparedShare});
    };
    header(DishKey, Central, QStringLiteral("NL"), kMonday.addDays(1));
    header(DayKey, QStringLiteral("0002"), QStringLiteral("DL"), kMonday.addDays(4));
    header(WeekKey, Central, QStringLiteral("SL"), kMonday.addDays(11));

    int line = 0;
    const auto insertRow = [&](const QString& key, const FixtureRow& row) {
        exec(kRowInsert, rowValues(key, ++line, row));
    };
    const int extraCount = int(extraColumns().size());
    for (const FixtureDish& d : dishes()) {
        for (int n = 0; n < kNutrientCount + extraCount; ++n) {
            const bool extra = n >= kNutrientCount;
            const Nutrient& nutrient = extra ? extraColumns()[n - kNutrientCount] : columns()[n];
            FixtureRow row =
                measured(nutrient, extra ? QVariant(extraValue(d, n - kNutrientCount)) : d.values[n],
                         d.incomplete.contains(QString::fromLatin1(nutrient.code)), ndpcal(d.day));
            row.day = d.day;
            row.place = dishPlace(d);
            insertRow(DishKey, row);
        }
    }
    // Per day: five days, the values of a school day's menu varying by day.
    for (int day = 0; day < 5; ++day) {
        for (int n = 0; n < kNutrientCount; ++n) {
            const double base[] = {dayEnergy(0), 38.5, 27.2, 150.3, 14.1, 310, 6.4, 1210};
            const QVariant value =
                day == 4 && n == 7 ? QVariant() : QVariant(base[n] * (1 + 0.07 * day - 0.02 * n));
            FixtureRow row = measured(columns()[n], value, value.isNull(), ndpcalOfDay(day));
            row.day = kMonday.addDays(day);
            insertRow(DayKey, row);
        }
    }
    // Per week and service: averages per day of two weeks.
    for (int week = 0; week < 2; ++week) {
        for (int service = 0; service < 2; ++service) {
            for (int n = 0; n < kNutrientCount; ++n) {
                const double lunch[] = {512, 28.4, 13.1, 61.7, 6.2, 35, 2.9, 560};
                const double share = service == 0 ? 1.0 : 0.55;
                FixtureRow row = measured(columns()[n], lunch[n] * share * (1 + 0.05 * week));
                row.week = week + 1;
                row.weekStart = kMonday.addDays(7 * week);
                row.place = service == 0
                                ? servicePlace(QStringLiteral("00003"), QStringLiteral("Almoço"), 3)
                                : servicePlace(QStringLiteral("00004"), QStringLiteral("Lanche da tarde"), 4);
                insertRow(WeekKey, row);
            }
        }
    }
    fillReferences(exec);
    fillWeekDays(exec, line);
    fillNotes(exec);
    fillDiets(exec);
    // Tuesday's NDpCal% of the per-dish report and day 2 of the per-day report rest on an
    // incomplete energy or protein figure.
    exec(QStringLiteral(
             "UPDATE NUTRICARD SET IDNDPCALINCOMPL = 'S' WHERE (NRSEQUNUTR = ? AND DTCARDAPIO = ?) OR "
             "(NRSEQUNUTR = ? AND DTCARDAPIO = ?)"),
         {DishKey, kMonday.addDays(1), DayKey, kMonday.addDays(1)});
    return errors.join(QLatin1Char('\n'));
}

double PreparedReportFixture::weekDayValue(int day, int nutrient)
{
    // The day's menu over lunch and the afternoon snack: energy, protein, lipids, carbohydrate,
    // fibre, calcium, iron, sodium; rising through the week.
    const double base[] = {794, 44.0, 20.3, 95.6, 9.6, 54, 4.5, 868};
    return base[nutrient] * (1 + kWeekRise * (day % kWeekDays));
}

int PreparedReportFixture::weekDays(int week)
{
    return week == 0 ? kWeekDays : kWeekDays - 1;
}

void PreparedReportFixture::fillReferences(const Exec& exec)
{
    exec(QStringLiteral("INSERT INTO FAIXAETARIA (CDFAIXAETAR, NMFAIXAETAR) VALUES (?, ?)"),
         {QStringLiteral("6A10"), QStringLiteral("6 a 10 anos")});
    exec(QStringLiteral("INSERT INTO CONJREF (CDCONJREF, NMCONJREF, DSFONTE) VALUES (?, ?, ?)"),
         {QStringLiteral("EX"), QStringLiteral("Exemplo (não oficial)"), QStringLiteral("Valores de teste")});
    exec(QStringLiteral("INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, CDCONJREF, CDFAIXAETAR, "
                        "PCCOBERTURA) VALUES (?, ?, ?, ?, ?, ?)"),
         {Central, QStringLiteral("0000000001"), QStringLiteral("Ensino fundamental - parcial"),
          QStringLiteral("EX"), QStringLiteral("6A10"), 20});
    const QVariant any;
    const QString band = QStringLiteral("6A10");
    struct Row
    {
        QVariant band;
        QVariant coverage;
        const char* nutrient;
        const char* base;
        QVariant minimum;
        QVariant maximum;
    };
    const Row rows[] = {
        {band, 20, "001", "Q", 700, 900},
        {QStringLiteral("11A15"), 20, "001", "Q", 1500, any}, // another age band
        {band, 30, "001", "Q", any, 500},                     // another coverage
        {band, 20, "002", "E", 10, 15},
        {band, 20, "003", "E", 15, 30},
        {band, 20, "004", "E", 55, 65},
        {band, 20, "005", "Q", 10, any},
        {band, 20, "006", "Q", 57, any},
        {band, 20, "007", "Q", 4.0, any},
        {any, any, "007", "Q", 5.0, any}, // the stricter minimum applies
        {any, any, "008", "Q", any, 1200},
        {band, any, "008", "Q", any, 1000}, // the stricter maximum applies
    };
    int line = 0;
    for (const Row& row : rows)
        exec(
            QStringLiteral("INSERT INTO VALORREF (CDCONJREF, NRLINHA, CDFAIXAETAR, PCCOBERTURA, CDNUTRIENTE, "
                           "IDBASE, VRMINIMO, VRMAXIMO) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {QStringLiteral("EX"), ++line, row.band, row.coverage, QString::fromLatin1(row.nutrient),
             QString::fromLatin1(row.base), row.minimum, row.maximum});
}

// Rows of the per-week report for the menu of each day and for the week's daily mean, both over
// the chosen services (no service code).
void PreparedReportFixture::fillWeekDays(const Exec& exec, int& line)
{
    const QString insert = QStringLiteral("INSERT INTO NUTRICARD (NRSEQUNUTR, NRLINHA, DTCARDAPIO, NRSEMANA, "
                                          "DTINISEMANA, CDNUTRIENTE, NMNUTRIENTE, "
                                          "SGUNIDADE, VRNUTRIENTE, IDINCOMPLETO, VRNDPCAL, IDNDPCALINCOMPL, "
                                          "QTDIAS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                                          "?, ?, ?, ?, ?)");
    const auto row = [&](const QVariant& day, int week, int n, double value, bool incomplete, double ndpcal,
                         bool ndpcalIncomplete, const QVariant& days) {
        exec(insert, {WeekKey, ++line, day, week + 1, kMonday.addDays(7 * week),
                      QString::fromLatin1(columns()[n].code), QString::fromUtf8(columns()[n].name),
                      QString::fromUtf8(columns()[n].unit), value, yesNo(incomplete), ndpcal,
                      yesNo(ndpcalIncomplete), days});
    };
    for (int week = 0; week < 2; ++week) {
        for (int n = 0; n < kNutrientCount; ++n) {
            double sum = 0;
            double energy = 0;
            double proteinEnergy = 0; // the week's NDpCal% is a ratio of its sums
            bool incomplete = false;
            for (int day = 0; day < weekDays(week); ++day) {
                const bool dayIncomplete = n == 7 && day == 2;
                row(kMonday.addDays(7 * week + day), week, n, weekDayValue(day, n), dayIncomplete,
                    ndpcalOfDay(day), day == 1, QVariant());
                sum += weekDayValue(day, n);
                energy += weekDayValue(day, 0);
                proteinEnergy += weekDayValue(day, 0) * ndpcalOfDay(day);
                incomplete = incomplete || dayIncomplete;
            }
            row(QVariant(QMetaType(QMetaType::QDate)), week, n, sum / weekDays(week), incomplete,
                proteinEnergy / energy, true, weekDays(week));
        }
    }
}

void PreparedReportFixture::fillNotes(const Exec& exec)
{
    const QStringList lines = {
        QStringLiteral("Fibra alimentar (g) sem valor na tabela: Frango, peito, sem pele, cru (TACO 409)"),
        QStringLiteral("Sódio (mg) sem valor na tabela: Laranja, suco natural (TACO 565)"),
        QStringLiteral("valores complementados: Complemento de exemplo (não oficial)")};
    for (const QString& key : {DishKey, DayKey, WeekKey})
        for (int i = 0; i < lines.size(); ++i)
            exec(QStringLiteral("INSERT INTO NUTRICARDNOTA (NRSEQUNUTR, NRLINHA, DSNOTA) VALUES (?, ?, ?)"),
                 {key, i + 1, lines[i]});
}

// Each report's figures for NDpCal% (rows of NUTRICARDPRATO without nutrient), as the server keeps
// them: per dish of the per-dish report, per day of the others (one dish standing for the day's
// main dishes). The net protein is set so that each row's NDpCal% is its day's; days of unequal
// energy make the period's ratio of sums differ from the mean of the days' ratios.
void PreparedReportFixture::fillDiets(const Exec& exec)
{
    const QString insert = QStringLiteral(
        "INSERT INTO NUTRICARDPRATO (NRSEQUNUTR, NRLINHA, DTCARDAPIO, NRSEMANA, DTINISEMANA, CDSERVFILI, "
        "CDTIPOPRAT, NMTIPOPRAT, CDPRATO, IDOPCAO, VRENERGIA, VRPROTLIQ, IDDIETAINCOMPL) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // Past the lines copyDishFigures() takes from NUTRICARD.
    int line = 100000;
    const auto diet = [&](const QString& key, const QDate& day, int week, const QString& type,
                          const QString& typeName, const QString& dish, bool option, double energy,
                          double ndpcal, bool incomplete) {
        exec(insert, {key, ++line, day, week, kMonday.addDays(7 * (week - 1)), QStringLiteral("00003"), type,
                      typeName, dish, yesNo(option), energy,
                      ndpcal * energy / (kKcalPerGramProtein * kPercent), yesNo(incomplete)});
    };
    const QDate tuesday = kMonday.addDays(1);
    for (const FixtureDish& d : dishes())
        diet(DishKey, d.day, 1, d.typeCode, d.type, d.dishCode, d.option, d.values[0].toDouble(),
             ndpcal(d.day), d.day == tuesday);
    const QString main = QStringLiteral("01");
    const QString mainName = QStringLiteral("Prato principal");
    const QString dish = QStringLiteral("0000000099");
    for (int day = 0; day < 5; ++day)
        diet(DayKey, kMonday.addDays(day), 1, main, mainName, dish, false, dayEnergy(day), ndpcalOfDay(day),
             day == 1);
    for (int week = 0; week < 2; ++week)
        for (int day = 0; day < weekDays(week); ++day)
            diet(WeekKey, kMonday.addDays(7 * week + day), week + 1, main, mainName, dish, false,
                 weekDayValue(day, 0), ndpcalOfDay(day), day == 1);
}

namespace {

// One generated menu day: the dishes of each service, with the amounts of every nutrient.
struct YearDay
{
    QDate day;
    int week; // from 1, counted from the first week with a menu day
    QList<FixtureDish> dishes;
};

QList<YearDay> yearDays()
{
    static const char* const services[][2] = {
        {"00002", "Desjejum"}, {"00003", "Almoço"}, {"00004", "Lanche da tarde"}};
    QList<YearDay> days;
    int week = 0;
    int previousWeek = -1;
    for (QDate day = PreparedReportFixture::YearFirst; day <= PreparedReportFixture::YearLast;
         day = day.addDays(1)) {
        if (day.dayOfWeek() > 5 || day.month() == 7)
            continue;
        if (day.weekNumber() != previousWeek) {
            previousWeek = day.weekNumber();
            ++week;
        }
        const int seed = int(PreparedReportFixture::YearFirst.daysTo(day));
        YearDay menu{day, week, {}};
        const int serviceCount = 2 + seed % 2;
        for (int s = 3 - serviceCount; s < 3; ++s) {
            const int dishCount = 2 + (seed * 7 + s * 3) % 5;
            for (int d = 0; d < dishCount; ++d) {
                const bool option = d == 1 && (seed + s) % 4 == 0;
                const double energy = 60 + (seed * 13 + s * 29 + d * 41) % 240;
                QList<QVariant> values;
                for (int n = 0; n < kNutrientCount; ++n)
                    values.append(energy * (n == 0 ? 1.0 : 0.05 * (n + 1)));
                menu.dishes.append(
                    {day,
                     QString::fromLatin1(services[s][0]),
                     QString::fromUtf8(services[s][1]),
                     s + 2,
                     QStringLiteral("0%1").arg(1 + d % 4),
                     QStringLiteral("Tipo %1").arg(1 + d % 4),
                     QStringLiteral("%1").arg(1000 + (seed * 5 + d) % 400, 10, 10, QLatin1Char('0')),
                     QStringLiteral("Prato %1").arg(1000 + (seed * 5 + d) % 400),
                     option,
                     values,
                     {}});
            }
        }
        days.append(menu);
    }
    return days;
}

} // namespace

QString PreparedReportFixture::fillYear(QSqlDatabase db)
{
    const QList<YearDay> days = yearDays();
    QStringList errors;
    const auto exec = [&](const QString& sql, const QVariantList& values) {
        if (const QString error = run(db, sql, values); !error.isEmpty())
            errors.append(error);
    };
    const QDateTime created(YearFirst, QTime(9, 0));
    for (const auto& [key, kind] :
         {std::pair(YearDishKey, QStringLiteral("NL")), std::pair(YearWeekKey, QStringLiteral("SL"))})
        exec(QStringLiteral(
                 "INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD, "
                 "DTINICIAL, DTFINAL, IDTIPOREL, PCCOBERTURA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {key, created, Central, Central, QStringLiteral("0000000001"), YearFirst, YearLast, kind,
              kComparedShare});

    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO NUTRICARD (NRSEQUNUTR, NRLINHA, DTCARDAPIO, NRSEMANA, "
                                  "DTINISEMANA, CDSERVFILI, NMSERVICO, "
                                  "NRORDSERV, CDTIPOPRAT, NMTIPOPRAT, CDPRATO, CDFILAUXPRAT, NMPRATO, "
                                  "IDOPCAO, CDNUTRIENTE, NMNUTRIENTE, "
                                  "SGUNIDADE, VRNUTRIENTE, IDINCOMPLETO, VRNDPCAL, IDNDPCALINCOMPL, QTDIAS) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                  "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    int line = 0;
    const QVariant null;
    const auto add = [&](const QString& key, const QVariantList& place, int n, const QVariant& value,
                         const QVariant& days) {
        QVariantList values = {key, ++line};
        values += place;
        values += {QString::fromLatin1(columns()[n].code),
                   QString::fromUtf8(columns()[n].name),
                   QString::fromUtf8(columns()[n].unit),
                   value,
                   QStringLiteral("N"),
                   7.5,
                   QStringLiteral("N"),
                   days};
        for (const QVariant& v : values)
            insert.addBindValue(v);
        if (!insert.exec())
            errors.append(insert.lastError().text());
    };
    QHash<int, QList<double>> weekSums; // week -> energy of each day
    for (const YearDay& menu : days) {
        const QDate monday = menu.day.addDays(1 - menu.day.dayOfWeek());
        QList<double> total(kNutrientCount, 0);
        for (const FixtureDish& d : menu.dishes) {
            for (int n = 0; n < kNutrientCount; ++n) {
                add(YearDishKey,
                    {d.day, menu.week, monday, d.serviceCode, d.service, d.serviceOrder, d.typeCode, d.type,
                     d.dishCode, QStringLiteral("P"), d.dish, yesNo(d.option)},
                    n, d.values[n], null);
                total[n] += d.option ? 0 : d.values[n].toDouble();
            }
        }
        for (int n = 0; n < kNutrientCount; ++n)
            add(YearWeekKey,
                {menu.day, menu.week, monday, null, null, null, null, null, null, null, null, null}, n,
                total[n], null);
        weekSums[menu.week].append(total[0]);
    }
    for (auto it = weekSums.cbegin(); it != weekSums.cend(); ++it) {
        const QList<double>& energy = it.value();
        double sum = 0;
        for (double value : energy)
            sum += value;
        QDate monday;
        for (const YearDay& menu : days)
            if (menu.week == it.key() && !monday.isValid())
                monday = menu.day.addDays(1 - menu.day.dayOfWeek());
        for (int n = 0; n < kNutrientCount; ++n) {
            const double mean = sum / energy.size() * (n == 0 ? 1.0 : 0.05 * (n + 1));
            add(YearWeekKey, {null, it.key(), monday, null, null, null, null, null, null, null, null, null},
                n, mean, int(energy.size()));
            for (int s = 0; s < 2; ++s)
                add(YearWeekKey,
                    {null, it.key(), monday, QStringLiteral("0000%1").arg(3 + s),
                     QStringLiteral("Serviço %1").arg(s + 1), 3 + s, null, null, null, null, null, null},
                    n, mean / 2, null);
        }
    }
    db.commit();
    return errors.join(QLatin1Char('\n'));
}

QString PreparedReportFixture::copyDishFigures(QSqlDatabase db, const QString& source, const QString& target)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO NUTRICARDPRATO (NRSEQUNUTR, NRLINHA, DTCARDAPIO, NRSEMANA, DTINISEMANA, CDSERVFILI, "
        "NMSERVICO, NRORDSERV, CDTIPOPRAT, NMTIPOPRAT, CDPRATO, CDFILAUXPRAT, NMPRATO, IDOPCAO, CDNUTRIENTE, "
        "VRNUTRIENTE, IDINCOMPLETO) "
        "SELECT CAST(? AS VARCHAR(10)), NRLINHA, DTCARDAPIO, COALESCE(NRSEMANA, 1), COALESCE(DTINISEMANA, "
        "DTCARDAPIO), "
        "CDSERVFILI, NMSERVICO, NRORDSERV, CDTIPOPRAT, NMTIPOPRAT, CDPRATO, CDFILAUXPRAT, NMPRATO, "
        "COALESCE(IDOPCAO, 'N'), CDNUTRIENTE, VRNUTRIENTE, IDINCOMPLETO FROM NUTRICARD "
        "WHERE NRSEQUNUTR = ? AND CDPRATO IS NOT NULL AND DTCARDAPIO IS NOT NULL AND CDNUTRIENTE IS NOT "
        "NULL"));
    query.addBindValue(target);
    query.addBindValue(source);
    return query.exec() ? QString() : query.lastError().text();
}

void PreparedReportFixture::removeDishFigures(QSqlDatabase db, const QString& target)
{
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("DELETE FROM NUTRICARDPRATO WHERE NRSEQUNUTR = ? AND CDNUTRIENTE IS NOT NULL"));
    query.addBindValue(target);
    query.exec();
}
