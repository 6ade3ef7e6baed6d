#include "DemoData.h"

#include "BulkInserter.h"
#include "ComplementImporter.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "NutritionReferenceImporter.h"
#include "ReferenceData.h"
#include "SchemaInstaller.h"
#include "TacoImporter.h"

#include <QDate>

namespace KavDb {

namespace {

// ---- Branches ------------------------------------------------------------------------------

struct Branch
{
    const char* code;
    const char* name;
    const char* central; // the central kitchen it is aggregated to, or null
    bool isCentral;
    bool headOffice;
    bool licensed;
    bool rescinded;
};

constexpr Branch Branches[] = {
    {"0001", "Secretaria Municipal de Educação - Sede", nullptr, false, true, true, false},
    {"0010", "Cozinha Central Norte", nullptr, true, false, true, false},
    {"0011", "EMEF Jardim das Flores", "0010", false, false, true, false},
    {"0012", "EMEI Vila Esperança", "0010", false, false, true, false},
    {"0013", "EMEF Parque das Águas", "0010", false, false, true, false},
    {"0014", "CEI Recanto Verde", "0010", false, false, true, false},
    {"0015", "EMEF São Judas Tadeu", "0010", false, false, true, false},
    {"0020", "Cozinha Central Sul", nullptr, true, false, true, false},
    {"0021", "EMEF Bela Vista", "0020", false, false, true, false},
    {"0022", "EMEI Morada do Sol", "0020", false, false, true, false},
    {"0023", "EMEF Ipê Amarelo", "0020", false, false, true, false},
    {"0024", "Centro Comunitário Sul - EJA", "0020", false, false, true, false},
    // Aggregated to no central kitchen: the screen refuses it.
    {"0030", "Escola Rural Boa Vista", nullptr, false, false, true, false},
    // A central kitchen without the school-food licence, and a school of it.
    {"0040", "Cozinha Central Oeste", nullptr, true, false, false, false},
    {"0041", "EMEF Santa Clara", "0040", false, false, true, false},
    // A central kitchen whose contract was rescinded.
    {"0050", "Cozinha Central Leste", nullptr, true, false, true, true},
};

// ---- Menu types, links and services ---------------------------------------------------------

struct MenuType
{
    const char* central;
    const char* code;
    const char* name;
    bool active;
    double portion; // portions a pupil of this menu type is served, relative to a school-age pupil
    // The reference the menu is compared with: set, age band and coverage (percent of the daily
    // needs); none for the adults' menu, which the example set does not cover. The coverage fits
    // the services a day of menuServices() by the coverage rules (CoverageRule.h): every menu of
    // the demo serves two meals or more, so none is linked to the one-meal share of 20%.
    const char* referenceSet;
    const char* ageBand;
    double coverage;
};

const char* const ExampleSet = "EXEMPLO";

constexpr MenuType MenuTypes[] = {
    {"0010", "0000000001", "Creche (0 a 3 anos)", true, 0.6, ExampleSet, "0-3", 70},
    {"0010", "0000000002", "Pré-escola (4 e 5 anos)", true, 0.8, ExampleSet, "4-5", 30},
    {"0010", "0000000003", "Ensino fundamental", true, 1.0, ExampleSet, "6-10", 30},
    {"0010", "0000000004", "Cardápio de férias", false, 1.0, ExampleSet, "6-10", 30},
    {"0020", "0000000001", "Ensino fundamental", true, 1.0, ExampleSet, "6-10", 30},
    {"0020", "0000000002", "Educação de jovens e adultos", true, 1.2, nullptr, nullptr, 0},
    {"0020", "0000000003", "Dieta sem lactose", false, 1.0, ExampleSet, "6-10", 30},
};

struct AgeBand
{
    const char* code;
    const char* name;
};

constexpr AgeBand AgeBands[] = {{"0-3", "0 a 3 anos"}, {"4-5", "4 e 5 anos"}, {"6-10", "6 a 10 anos"}};

struct Link
{
    const char* central;
    const char* branch;
    const char* menuType;
    bool active;
};

constexpr Link Links[] = {
    {"0010", "0011", "0000000001", true},  {"0010", "0011", "0000000003", true},
    {"0010", "0012", "0000000001", true},  {"0010", "0012", "0000000002", true},
    {"0010", "0013", "0000000003", true},  {"0010", "0013", "0000000001", false}, // inactive link
    {"0010", "0014", "0000000001", true},  {"0010", "0014", "0000000004", true},  // inactive menu type
    {"0010", "0015", "0000000003", false},                                        // only link inactive
    {"0020", "0021", "0000000001", true},  {"0020", "0022", "0000000001", true},
    {"0020", "0023", "0000000001", false}, {"0020", "0023", "0000000002", true},
    {"0020", "0024", "0000000002", true},
};

enum Service { Desjejum = 1, LancheManha = 2, Almoco = 3, LancheTarde = 4, Jantar = 5 };

const char* serviceName(int service)
{
    switch (service) {
    case Desjejum:
        return "Desjejum";
    case LancheManha:
        return "Lanche da manhã";
    case Almoco:
        return "Almoço";
    case LancheTarde:
        return "Lanche da tarde";
    default:
        return "Jantar";
    }
}

struct MenuServices
{
    const char* central;
    const char* menuType;
    QList<int> services;
};

const QList<MenuServices>& menuServices()
{
    static const QList<MenuServices> list = {
        {"0010", "0000000001", {Desjejum, Almoco, LancheTarde, Jantar}},
        {"0010", "0000000002", {LancheManha, Almoco, LancheTarde}},
        {"0010", "0000000003", {Desjejum, Almoco, LancheTarde}},
        {"0010", "0000000004", {LancheManha, Almoco}},
        {"0020", "0000000001", {LancheManha, Almoco}},
        {"0020", "0000000002", {LancheTarde, Jantar}},
        {"0020", "0000000003", {LancheManha, Almoco}},
    };
    return list;
}

// ---- Dish types and dishes ------------------------------------------------------------------

struct Ingredient
{
    int food;     // TACO food id
    double grams; // net weight per portion
};

struct Dish
{
    const char* code;
    const char* owner; // "P": shared by every branch; otherwise the central kitchen that owns it
    const char* name;
    int type; // 0 for the group levels of the code tree
    int level;
    QList<Ingredient> recipe;
};

// Recipes are written per portion; the stored recipe is for the yield below.
constexpr int DemoRecipeYield = 100;

// TACO ids of the foods the recipes use (database/demo/taco).
enum Food {
    ArrozIntegral = 1,
    ArrozBranco = 3,
    Aveia = 7,
    BiscoitoMaisena = 8,
    CreamCracker = 13,
    Macarrao = 40,
    Fuba = 43,
    PaoFrances = 53,
    Abobora = 64,
    Abobrinha = 70,
    Alface = 78,
    Alho = 82,
    Batata = 91,
    Beterraba = 97,
    Brocolis = 100,
    Cebola = 107,
    CenouraCozida = 109,
    CenouraCrua = 110,
    Chuchu = 112,
    Couve = 116,
    FarinhaMandioca = 121,
    Mandioca = 129,
    Tomate = 157,
    Banana = 182,
    Goiaba = 200,
    Laranja = 214,
    Maca = 222,
    Mamao = 226,
    Melancia = 235,
    Manteiga = 261,
    OleoSoja = 272,
    Merluza = 301,
    Sardinha = 318,
    AcemMoido = 326,
    Patinho = 377,
    CoxaFrango = 396,
    PeitoFrango = 408,
    Iogurte = 448,
    Leite = 458,
    QueijoMinas = 461,
    Ovo = 488,
    Achocolatado = 491,
    Acucar = 494,
    Sal = 517,
    Cuscuz = 533,
    FeijaoCarioca = 561,
    FeijaoPreto = 567,
    Lentilha = 577,
};

const QList<Dish>& dishes()
{
    static const QList<Dish> list = {
        {"0100000000", "P", "Acompanhamentos", 0, 1, {}},
        {"0101000000", "P", "Arroz e cereais", 0, 2, {}},
        {"0101000001",
         "P",
         "Arroz branco",
         Acompanhamento,
         3,
         {{ArrozBranco, 100}, {OleoSoja, 2}, {Alho, 1}, {Sal, 0.5}}},
        {"0101000002",
         "P",
         "Arroz integral",
         Acompanhamento,
         3,
         {{ArrozIntegral, 100}, {OleoSoja, 2}, {Alho, 1}}},
        {"0101000003", "P", "Polenta cremosa", Acompanhamento, 3, {{Fuba, 30}, {OleoSoja, 1}, {Sal, 0.3}}},
        {"0102000000", "P", "Leguminosas", 0, 2, {}},
        {"0102000001",
         "P",
         "Feijão carioca",
         Acompanhamento,
         3,
         {{FeijaoCarioca, 80}, {OleoSoja, 2}, {Alho, 1}, {Cebola, 5}}},
        {"0102000002",
         "P",
         "Feijão preto",
         Acompanhamento,
         3,
         {{FeijaoPreto, 80}, {OleoSoja, 2}, {Cebola, 5}}},
        {"0102000003",
         "P",
         "Lentilha refogada",
         Acompanhamento,
         3,
         {{Lentilha, 70}, {Cebola, 5}, {OleoSoja, 2}}},
        {"0200000000", "P", "Pratos proteicos", 0, 1, {}},
        {"0201000001",
         "P",
         "Frango cozido com legumes",
         PratoPrincipal,
         3,
         {{PeitoFrango, 80}, {CenouraCozida, 20}, {Batata, 30}, {Cebola, 5}, {OleoSoja, 2}}},
        {"0201000002", "P", "Coxa de frango assada", PratoPrincipal, 3, {{CoxaFrango, 90}, {Alho, 1}}},
        {"0201000003",
         "0010",
         "Frango ao molho da Cozinha Norte",
         PratoPrincipal,
         3,
         {{PeitoFrango, 90}, {Tomate, 20}}},
        {"0201000003",
         "0020",
         "Galinhada da Cozinha Sul",
         PratoPrincipal,
         3,
         {{PeitoFrango, 70}, {ArrozBranco, 80}, {CenouraCozida, 10}}},
        {"0202000001",
         "P",
         "Carne moída com abóbora",
         PratoPrincipal,
         3,
         {{AcemMoido, 70}, {Abobora, 40}, {Cebola, 5}, {Tomate, 10}, {OleoSoja, 2}}},
        {"0202000002", "P", "Iscas de patinho grelhadas", PratoPrincipal, 3, {{Patinho, 80}, {Cebola, 5}}},
        {"0202000003",
         "P",
         "Macarrão à bolonhesa",
         PratoPrincipal,
         3,
         {{Macarrao, 50}, {AcemMoido, 40}, {Tomate, 30}, {Cebola, 5}, {OleoSoja, 2}}},
        {"0203000001", "P", "Merluza assada", PratoPrincipal, 3, {{Merluza, 90}, {Tomate, 10}, {Cebola, 5}}},
        {"0203000002", "P", "Sardinha assada", PratoPrincipal, 3, {{Sardinha, 80}}},
        {"0204000001", "P", "Ovo cozido", PratoPrincipal, 3, {{Ovo, 50}}},
        {"0301000001", "P", "Purê de batata", Guarnicao, 3, {{Batata, 100}, {Leite, 20}, {Manteiga, 3}}},
        {"0301000002", "P", "Mandioca cozida", Guarnicao, 3, {{Mandioca, 100}}},
        {"0301000003",
         "P",
         "Cenoura e chuchu refogados",
         Guarnicao,
         3,
         {{CenouraCozida, 40}, {Chuchu, 40}, {OleoSoja, 2}}},
        {"0301000004", "P", "Couve refogada", Guarnicao, 3, {{Couve, 40}}},
        {"0301000005", "P", "Abobrinha refogada", Guarnicao, 3, {{Abobrinha, 60}, {Cebola, 5}}},
        {"0301000006", "P", "Brócolis cozido", Guarnicao, 3, {{Brocolis, 50}}},
        {"0301000007",
         "P",
         "Farofa de mandioca",
         Guarnicao,
         3,
         {{FarinhaMandioca, 20}, {Manteiga, 3}, {Cebola, 3}}},
        {"0401000001", "P", "Salada de alface e tomate", Salada, 3, {{Alface, 20}, {Tomate, 30}}},
        {"0401000002", "P", "Salada de cenoura ralada", Salada, 3, {{CenouraCrua, 30}}},
        {"0401000003", "P", "Salada de beterraba", Salada, 3, {{Beterraba, 40}}},
        {"0501000001", "P", "Banana prata", Fruta, 3, {{Banana, 80}}},
        {"0501000002", "P", "Laranja pera", Fruta, 3, {{Laranja, 120}}},
        {"0501000003", "P", "Maçã", Fruta, 3, {{Maca, 110}}},
        {"0501000004", "P", "Mamão papaia", Fruta, 3, {{Mamao, 100}}},
        {"0501000005", "P", "Melancia", Fruta, 3, {{Melancia, 150}}},
        {"0501000006", "0010", "Salada de frutas", Fruta, 3, {{Banana, 40}, {Maca, 40}, {Mamao, 40}}},
        {"0601000001", "P", "Leite com achocolatado", Bebida, 3, {{Leite, 200}, {Achocolatado, 15}}},
        {"0601000002", "P", "Mingau de aveia", Bebida, 3, {{Leite, 150}, {Aveia, 20}, {Acucar, 10}}},
        {"0601000003", "P", "Iogurte natural com goiaba", Bebida, 3, {{Iogurte, 120}, {Goiaba, 40}}},
        {"0701000001", "P", "Pão francês com manteiga", Panificado, 3, {{PaoFrances, 50}, {Manteiga, 5}}},
        {"0701000002", "P", "Biscoito maisena", Panificado, 3, {{BiscoitoMaisena, 30}}},
        {"0701000003", "P", "Biscoito cream cracker", Panificado, 3, {{CreamCracker, 30}}},
        {"0701000004", "P", "Cuscuz de milho", Panificado, 3, {{Cuscuz, 100}}},
        {"0701000005", "0020", "Pão com queijo minas", Panificado, 3, {{PaoFrances, 50}, {QueijoMinas, 30}}},
    };
    return list;
}

struct DishRef
{
    QString code;
    QString owner;
};

// The dishes of one type a central kitchen may serve: the shared ones and its own.
QList<DishRef> dishesFor(const QString& central, int type, const QString& namePrefix = QString())
{
    QList<DishRef> refs;
    for (const Dish& dish : dishes()) {
        const QString owner = QLatin1String(dish.owner);
        if (dish.type == type && (owner == QLatin1String("P") || owner == central) &&
            QString::fromUtf8(dish.name).startsWith(namePrefix))
            refs << DishRef{QLatin1String(dish.code), owner};
    }
    return refs;
}

const char* const MonthNames[] = {"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                                  "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};

QVariant text(const char* value)
{
    return value ? QVariant(QString::fromUtf8(value)) : QVariant(QMetaType::fromType<QString>());
}

constexpr int DemoMonthsPerYear = 12;

} // namespace

DemoData::DemoData(QSqlDatabase db) : m_db(std::move(db)) {}

void DemoData::write(bool replace)
{
    SchemaInstaller schema(m_db);
    schema.requireNoData(replace);
    {
        Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
        if (replace)
            schema.emptyTables();
        writeBranches();
        writeMenuTypes();
        writeServices();
        writeReferenceData(m_db);
        transaction.commit();
    }
    // Foods and nutrients come in through the food-table import, the example references and the
    // complement of the table's "not applicable" cells through theirs: each has its own transaction.
    TacoImporter(m_db).import(demoFoodsDir());
    NutritionReferenceImporter(m_db).import(QStringLiteral(":/kavdb/demo/referencias-exemplo.csv"));
    ComplementImporter(m_db).import(QStringLiteral(":/kavdb/demo/complemento.csv"));
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    writeDishes();
    writeMenus();
    transaction.commit();
}

void DemoData::writeBranches()
{
    BulkInserter rows(
        m_db, QStringLiteral("FILIAL"),
        {"CDFILIAL", "NMFILIAL", "IDFILCENTZVE", "CDFILCENTZVE", "IDCNTRRESC", "IDMATRIZ", "IDMODZVE"});
    for (const Branch& b : Branches)
        rows.add({text(b.code), text(b.name), flag(b.isCentral), text(b.central), flag(b.rescinded),
                  flag(b.headOffice), flag(b.licensed)});
    rows.flush();
}

void DemoData::writeMenuTypes()
{
    BulkInserter bands(m_db, QStringLiteral("FAIXAETARIA"), {"CDFAIXAETAR", "NMFAIXAETAR"});
    for (const AgeBand& band : AgeBands)
        bands.add({text(band.code), text(band.name)});
    bands.flush();
    BulkInserter types(m_db, QStringLiteral("TIPOCARD"),
                       {"CDFILCENTZVE", "CDTIPOCARD", "NMTIPOCARD", "IDTPCARDATIV", "CDCONJREF",
                        "CDFAIXAETAR", "PCCOBERTURA"});
    for (const MenuType& t : MenuTypes)
        types.add({text(t.central), text(t.code), text(t.name), flag(t.active), text(t.referenceSet),
                   text(t.ageBand), t.referenceSet ? QVariant(t.coverage) : QVariant()});
    types.flush();
    BulkInserter links(m_db, QStringLiteral("FILITIPOCARD"),
                       {"CDFILCENTZVE", "CDFILIAL", "CDTIPOCARD", "IDTCARATFILI"});
    for (const Link& l : Links)
        links.add({text(l.central), text(l.branch), text(l.menuType), flag(l.active)});
    links.flush();
}

void DemoData::writeServices()
{
    BulkInserter rows(m_db, QStringLiteral("SERVFILI"),
                      {"CDFILIAL", "CDTIPOCARD", "CDSERVFILI", "NMSERVICO", "NRORDSERV"});
    for (const MenuServices& m : menuServices())
        for (int service : m.services)
            rows.add({text(m.central), text(m.menuType), storedCode(service, ServiceCodeWidth),
                      text(serviceName(service)), service});
    rows.flush();
}

void DemoData::writeDishes()
{
    BulkInserter rows(m_db, QStringLiteral("PRATO"),
                      {"CDPRATO", "CDFILAUXPRAT", "NMPRATO", "CDNVPRATO", "CDTIPOPRAT", "QTRENDPRATO"});
    BulkInserter recipes(m_db, QStringLiteral("FICHATEC"),
                         {"CDPRATO", "CDFILAUXPRAT", "CDALIMENTO", "QTPESOLIQ"});
    for (const Dish& d : dishes()) {
        rows.add({text(d.code), text(d.owner), text(d.name), d.level,
                  d.type ? QVariant(storedCode(d.type, DishTypeCodeWidth))
                         : QVariant(QMetaType::fromType<QString>()),
                  DemoRecipeYield});
        for (const Ingredient& i : d.recipe)
            recipes.add({text(d.code), text(d.owner), i.food, i.grams * DemoRecipeYield});
    }
    rows.flush();
    recipes.flush();
}

void DemoData::writeMenus()
{
    BulkInserter menus(
        m_db, QStringLiteral("CARDZVE"),
        {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "DTINICARDZVE", "DTFINCARDZVE", "DSCARDZVE"});
    BulkInserter items(m_db, QStringLiteral("ITCARDZVE"),
                       {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "NRSEQITEM", "DTCARDAPIO", "CDSERVFILI",
                        "CDTIPOPRAT", "CDPRATO", "CDFILAUXPRAT", "IDOPCAO", "QTPORCAO"});
    for (const MenuType& type : MenuTypes) {
        if (!type.active)
            continue;
        const QString central = QLatin1String(type.central);
        QList<int> services;
        for (const MenuServices& m : menuServices())
            if (central == QLatin1String(m.central) && qstrcmp(type.code, m.menuType) == 0)
                services = m.services;
        const QList<DishRef> mains = dishesFor(central, PratoPrincipal);
        const QList<DishRef> rice = dishesFor(central, Acompanhamento, QStringLiteral("Arroz"));
        const QList<DishRef> beans = dishesFor(central, Acompanhamento, QStringLiteral("Feij")) +
                                     dishesFor(central, Acompanhamento, QStringLiteral("Lentilha"));
        const QList<DishRef> sides = dishesFor(central, Guarnicao);
        const QList<DishRef> salads = dishesFor(central, Salada);
        const QList<DishRef> fruits = dishesFor(central, Fruta);
        const QList<DishRef> drinks = dishesFor(central, Bebida);
        const QList<DishRef> breads = dishesFor(central, Panificado);

        int schoolDay = 0;
        for (int month = 1; month <= DemoMonthsPerYear; ++month) {
            const QDate first(Year, month, 1);
            const QDate last(Year, month, first.daysInMonth());
            const QString number = storedCode(month, MenuNumberWidth);
            menus.add({central, text(type.code), number, first, last,
                       QStringLiteral("Cardápio de %1 de %2 - %3")
                           .arg(QString::fromUtf8(MonthNames[month - 1]))
                           .arg(Year)
                           .arg(QString::fromUtf8(type.name))});
            int sequence = 0;
            for (QDate day = first; day <= last; day = day.addDays(1)) {
                if (day.dayOfWeek() > Qt::Friday)
                    continue;
                const int k = schoolDay++;
                for (int service : services) {
                    const auto add = [&](int dishType, const QList<DishRef>& from, int index,
                                         bool option = false) {
                        const DishRef& dish = from[index % from.size()];
                        items.add({central, text(type.code), number, ++sequence, day,
                                   storedCode(service, ServiceCodeWidth),
                                   storedCode(dishType, DishTypeCodeWidth), dish.code, dish.owner,
                                   flag(option), type.portion});
                    };
                    switch (service) {
                    case Desjejum:
                        add(Bebida, drinks, k);
                        add(Panificado, breads, k);
                        add(Fruta, fruits, k + 1);
                        break;
                    case LancheManha:
                    case LancheTarde:
                        add(Fruta, fruits, k + service);
                        if (k % 2 == 0)
                            add(Panificado, breads, k + service);
                        else
                            add(Bebida, drinks, k + service);
                        break;
                    default: // lunch and dinner
                        add(Acompanhamento, rice, k % 5 == 0 ? 1 : 0);
                        add(Acompanhamento, beans, k);
                        add(PratoPrincipal, mains, k + service);
                        add(PratoPrincipal, mains, k + service + 3, true); // the option dish
                        add(Guarnicao, sides, k + service);
                        add(Salada, salads, k);
                        add(Fruta, fruits, k + 2 + service);
                    }
                }
            }
        }
    }
    menus.flush();
    items.flush();
}

} // namespace KavDb
