#pragma once
// Prepares the data of one report of nutrients of the menu under a new key, in one transaction:
// checks the criteria, reads the menu items and their dishes' composition, builds the rows of
// the report kind and stores them, a few weeks at a time, and the notes on the values behind them.

#include "NutriCardCriteria.h"
#include "NutriCardNotes.h"
#include "NutriCardRow.h"
#include "NutriCardSource.h"
#include "NutrientColumn.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace KavServer {
class CallContext;
}

namespace KavServer::Zve41300 {

class NutriCardBuilder;
class NutriCardWriter;

class NutriCardPreparer
{
public:
    // The criteria as the screen sends them.
    struct Request
    {
        QString central;
        QString branch; // empty: the central branch
        QString nutrients;
        QString services;
        QDate firstDay;
        QDate lastDay;
        bool withNdpCal = false;
        QString menuType;
        QString kind;
    };

    struct Result
    {
        QString key;
        QString columns; // "_001_002_...": energy and protein first when chosen, then by code
        // Normalised criteria, handed back to the screen in its by-reference arguments.
        QString branch;
        QString nutrients;
        QString services;
    };

    // The nutrients the general parameters name for energy and protein.
    struct GeneralParameters
    {
        QString energy;
        QString protein;
    };

    explicit NutriCardPreparer(CallContext& context) : m_context(context) {}

    // Throws NutriCardRefusal (a text for the user) for criteria it cannot prepare, and
    // Kav::Exception when the database fails; nothing is stored then.
    Result prepare(const Request& request);

private:
    // What a preparation will compute, once the criteria are checked.
    struct Plan
    {
        NutriCardCriteria criteria;
        GeneralParameters parameters;
        QList<NutrientColumn> columns;
    };

    Plan checkedPlan(const Request& request) const;
    NutriCardCriteria checkedCriteria(const Request& request) const;
    void checkBranches(const NutriCardCriteria& criteria) const;
    void checkServices(const NutriCardCriteria& criteria) const;
    static QStringList fetchedNutrients(const Plan& plan);
    static void addServed(NutriCardBuilder& builder, const NutriCardSource::ServedItem& served,
                          const NutriCardSource::Compositions& compositions, const Plan& plan,
                          NutriCardNotes::DishesNotComputed& notComputed);
    // The first days of the period with a menu item and with a main dish among the services
    // chosen; refuses a period without any, whose key would hold no rows.
    static NutriCardSource::MenuDays checkedMenuDays(const NutriCardCriteria& criteria,
                                                     const NutriCardSource& source);
    // Stores the rows under `key` from the week of the first menu day on; returns the dishes
    // served that have no recipe or no yield.
    NutriCardNotes::DishesNotComputed storeRows(const Plan& plan, const NutriCardSource& source,
                                                const NutriCardWriter& writer, const QString& key,
                                                const NutriCardSource::MenuDays& menuDays) const;

    CallContext& m_context;
};

} // namespace KavServer::Zve41300
