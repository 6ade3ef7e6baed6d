#include "NutriCardData.h"

#include "LayoutLoader.h"
#include "MessageCatalogue.h"
#include "Registration.h"

// The layout is compiled into this static library, whose resources need registering by hand;
// Q_INIT_RESOURCE only works outside any namespace.
static void initNutriCardDataResources()
{
    Q_INIT_RESOURCE(NutriCardData);
}

namespace NutriCardData {

QString layoutFile()
{
    initNutriCardDataResources();
    return QStringLiteral(":/zve41300/data/NutriCardData.kfm");
}

QString message(const QString& key)
{
    initNutriCardDataResources();
    static const QStringList catalogue = Kav::readCatalogue(QStringLiteral(":/zve41300/data/msgPadrao.txt"));
    return Kav::catalogueText(catalogue, key);
}

void apply(Kav::LayoutLoader& loader)
{
    loader.apply(layoutFile());
}

std::unique_ptr<QObject> createStandalone(Kav::ClientCoreContext& context)
{
    Kav::registerDataClasses();
    auto root = std::make_unique<QObject>();
    root->setObjectName(QStringLiteral("frmNutriCard"));
    root->setProperty(Kav::LayoutLoader::layoutClassProperty, QStringLiteral("TfrmNutriCard"));
    Kav::LayoutLoader loader(root.get(), context);
    apply(loader);
    return root;
}

} // namespace NutriCardData
