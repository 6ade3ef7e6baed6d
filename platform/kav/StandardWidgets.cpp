#include "StandardWidgets.h"

#include "TBevel.h"
#include "TCheckBox.h"
#include "TComboBox.h"
#include "TEdit.h"
#include "TGroupBox.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TPopupMenu.h"
#include "TRadioButton.h"
#include "TSaveDialog.h"
#include "TSpeedButton.h"
#include "WidgetProperties.h"
#include "WidgetRegistry.h"

namespace Kav {

void registerStandardWidgets()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    registerWidgetPropertyKinds();
    addWidget<TLabel>(QStringLiteral("TLabel"));
    addWidget<TEdit>(QStringLiteral("TEdit"));
    addWidget<TMaskEdit>(QStringLiteral("TMaskEdit"));
    addWidget<TGroupBox>(QStringLiteral("TGroupBox"));
    addWidget<TPanel>(QStringLiteral("TPanel"));
    addWidget<TBevel>(QStringLiteral("TBevel"));
    addWidget<TRadioButton>(QStringLiteral("TRadioButton"));
    addWidget<TCheckBox>(QStringLiteral("TCheckBox"));
    addWidget<TComboBox>(QStringLiteral("TComboBox"));
    addWidget<TSpeedButton>(QStringLiteral("TSpeedButton"));
    addWidget<TPopupMenu>(QStringLiteral("TPopupMenu"));
    auto& registry = ClassRegistry::instance();
    registry.addObject<TMenuItem>(QStringLiteral("TMenuItem"));
    registry.addObject<TSaveDialog>(QStringLiteral("TSaveDialog"));
    registry.addObject<TMessages>(QStringLiteral("TMessages"));
}

} // namespace Kav
