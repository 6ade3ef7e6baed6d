#include "SupportWidgets.h"

#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TDateEditPlus.h"
#include "WidgetRegistry.h"

namespace Kav {

void registerSupportWidgets()
{
    addWidget<TBtnPesquisa>(QStringLiteral("TBtnPesquisa"));
    addWidget<TDateEditPlus>(QStringLiteral("TDateEditPlus"));
    addWidget<TButtonFlat>(QStringLiteral("TButtonFlat"));
}

} // namespace Kav
