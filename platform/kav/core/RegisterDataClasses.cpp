#include "Registration.h"

#include "ClassRegistry.h"
#include "TADOIBQuery.h"
#include "TBooleanField.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateField.h"
#include "TFloatField.h"
#include "TIntegerField.h"
#include "TParameter.h"
#include "TStringField.h"

namespace Kav {

void registerDataClasses()
{
    ClassRegistry& registry = ClassRegistry::instance();
    registry.addObject<TADOIBQuery>(QStringLiteral("TADOIBQuery"));
    registry.addObject<TParameter>(QStringLiteral("TParameter"));
    registry.addObject<TClientDataSet>(QStringLiteral("TClientDataSet"));
    registry.addObject<TDataSource>(QStringLiteral("TDataSource"));
    registry.addObject<TStringField>(QStringLiteral("TStringField"));
    registry.addObject<TIntegerField>(QStringLiteral("TIntegerField"));
    registry.addObject<TFloatField>(QStringLiteral("TFloatField"));
    registry.addObject<TDateTimeField>(QStringLiteral("TDateTimeField"));
    registry.addObject<TDateField>(QStringLiteral("TDateField"));
    registry.addObject<TBooleanField>(QStringLiteral("TBooleanField"));
}

} // namespace Kav
