#pragma once
// The screen's data components (lookup queries, local data sets, data sources), stored as the
// layout NutriCardData.kfm and applied onto the form, or onto a stand-in root without the form;
// and the screen's message catalogue for code without the form.

#include <memory>
#include <QObject>

namespace Kav {
class ClientCoreContext;
class LayoutLoader;
} // namespace Kav

namespace NutriCardData {

// The layout resource, applied on top of the form's own layout.
QString layoutFile();

// Creates the data components as children of the loader's root (a TfrmNutriCard). The data
// classes must be registered (Kav::registerDataClasses). Throws Kav::LayoutError.
void apply(Kav::LayoutLoader& loader);

// The text of `key` in the screen's message catalogue (msgPadrao.txt, the file the form's
// msgPadrao loads), for code that words things for the screen without the form.
QString message(const QString& key);

// A plain object standing in for the form (named frmNutriCard, of layout class TfrmNutriCard)
// that holds the data components, created in `context`: for tests and tools that need the
// queries without widgets.
std::unique_ptr<QObject> createStandalone(Kav::ClientCoreContext& context);

} // namespace NutriCardData
