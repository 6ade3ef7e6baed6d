#pragma once
// The remote data module "Zve41300.rdmNutriCard": services and menu periods of a branch, and the
// preparation and deletion of the data of the report of nutrients of the menu.

#include "RdmNutriCardContract.h"
#include "RemoteDataModule.h"

#include <chrono>
#include <memory>

namespace KavServer::Zve41300 {

inline const QString kServerName = QLatin1String(RdmNutriCardContract::kServerName);

std::shared_ptr<RemoteDataModule> makeRdmNutriCard();

// Housekeeping: removes prepared data older than `maxAge` that nobody deleted (after a save as, a
// report edit, or a client that died). On SQLite the file then gives the freed pages back.
RemoteMethod nutriCardExpiryTask(std::chrono::minutes maxAge);

} // namespace KavServer::Zve41300
