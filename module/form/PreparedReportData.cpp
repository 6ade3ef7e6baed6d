#include "PreparedReportData.h"

#include "KavException.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "TParameter.h"

namespace {

const QStringList kHeaderOfKey{QStringLiteral("SELECT NRSEQUNUTR FROM NUTRICARDCAB"),
                               QStringLiteral("WHERE NRSEQUNUTR = CAST(:P_NRSEQUNUTR AS VARCHAR(10))")};

} // namespace

void PreparedReportData::requirePresent(const QString& key, const QString& missing)
{
    TADOIBQuery header;
    header.setObjectName(QStringLiteral("qryDadosPreparados"));
    header.setSQL(kHeaderOfKey);
    header.setSQL_IB(kHeaderOfKey);
    header.ParamByName(QStringLiteral("P_NRSEQUNUTR"))->setAsString(key);
    header.Open();
    if (header.IsEmpty())
        throw Kav::Exception(TMessages::Format(missing, {key}));
}
