#pragma once
// Prepares the data of one report of nutrients of the menu under a new key, in one transaction:
// checks the criteria, reads the menu items and their dishes' composition, builds the rows of
// the report kind and stores them.

#include "NutriCardCriteria.h"
#include "NutriCardRow.h"
#include "NutrientColumn.h"

#include <QDate>
#include <QString>
#include <QStringList>

class CallContext;
class NutriCardSource;

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
    struct Built
    {
        QList<NutriCardRow> rows;
        QStringList dishesWithoutRecipe; // served, but with no recipe or no yield to compute from
    };
    Built buildRows(const Plan& plan, const NutriCardSource& source) const;

    CallContext& m_context;
};
