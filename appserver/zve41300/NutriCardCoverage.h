#pragma once
// The share of the daily needs a prepared report compares its figures with, and what its notes
// say of it: the reference set, the age band, the share and the meals a day it assumes. When the
// menu type's services a day do not fit the share, the bounds that depend on the share are not
// compared (no share is stored) and the notes say why, instead of flagging against a bound meant
// for another number of meals.

#include "NutriCardCriteria.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

namespace KavServer::Zve41300 {

struct NutriCardCoverage
{
    static NutriCardCoverage of(const QSqlDatabase& db, const NutriCardCriteria& criteria);

    QVariant comparedShare; // NUTRICARDCAB.PCCOBERTURA: null for none or a share that does not fit
    QStringList notes;
};

} // namespace KavServer::Zve41300
