#pragma once
// The screen's data components (lookup queries, local data sets, data sources), stored as the
// layout NutriCardData.kfm and applied onto the form, or onto a stand-in root without the form.

#include <memory>
#include <QObject>

namespace Kav {
class LayoutLoader;
}

namespace NutriCardData {

// The layout resource, applied on top of the form's own layout.
QString layoutFile();

// Creates the data components as children of the loader's root (a TfrmNutriCard). The data
// classes must be registered (Kav::registerDataClasses). Throws Kav::LayoutError.
void apply(Kav::LayoutLoader& loader);

// A plain object standing in for the form (named frmNutriCard, of layout class TfrmNutriCard)
// that holds the data components: for tests and tools that need the queries without widgets.
std::unique_ptr<QObject> createStandalone();

} // namespace NutriCardData
