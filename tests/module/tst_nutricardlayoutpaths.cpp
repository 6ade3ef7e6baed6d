// The screen built from its layouts as parsed once and kept for every later form, against the
// same layouts read afresh from their text: the same components, in the same places, with the
// same properties, event handlers and tab order.
#include "Cli_Zve41300.h"
#include "Events.h"
#include "FormClasses.h"
#include "LayoutLoader.h"
#include "LayoutParser.h"
#include "ParsedLayouts.h"
#include "TabOrderChain.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"

#include <QMetaProperty>
#include <QSet>
#include <QtTest>

namespace {

// The screen's layouts applied onto a screen of its own, with no creation handler run.
class LayoutsOnly : public TfrmNutriCard
{
public:
    using TfrmNutriCard::layoutFiles;
    using TfrmNutriCard::TfrmNutriCard;
};

QString readText(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(fileName));
    return QString::fromUtf8(file.readAll());
}

void addEventNames(const Kav::LayoutNode& node, QSet<QByteArray>& events)
{
    for (const Kav::LayoutProperty& property : node.properties) {
        if (property.name.startsWith(QLatin1String("On")))
            events.insert(property.name.toLatin1());
    }
    for (const Kav::LayoutNode& child : node.children)
        addEventNames(child, events);
}

// Components by their path of names from the form, the form itself under its own name.
QMap<QString, QObject*> componentsOf(QObject* form)
{
    QMap<QString, QObject*> components{{form->objectName(), form}};
    for (QObject* object : form->findChildren<QObject*>()) {
        if (!object->property(Kav::LayoutLoader::layoutClassProperty).isValid())
            continue;
        QString path = object->objectName();
        for (QObject* p = object->parent(); p && p != form; p = p->parent())
            path = p->objectName() + QLatin1Char('/') + path;
        components.insert(path, object);
    }
    return components;
}

QString shown(const QVariant& value)
{
    QString text;
    QDebug(&text) << value;
    return text;
}

// Null when equal; otherwise what differs. Components named are compared by name; values
// Qt cannot compare (icons, cursors) are left out.
std::optional<QString> difference(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return shown(a) + QLatin1String(" / ") + shown(b);
    if (a.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
        const QObject* x = a.value<QObject*>();
        const QObject* y = b.value<QObject*>();
        if ((x ? x->objectName() : QString()) == (y ? y->objectName() : QString()))
            return std::nullopt;
        return shown(a) + QLatin1String(" / ") + shown(b);
    }
    if (!a.metaType().isEqualityComparable() || a == b)
        return std::nullopt;
    return shown(a) + QLatin1String(" / ") + shown(b);
}

QStringList propertyDifferences(QObject* a, QObject* b)
{
    QStringList found;
    const QMetaObject* meta = a->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (const auto differs = difference(property.read(a), property.read(b)))
            found << QString::fromLatin1(property.name()) + QLatin1String(": ") + *differs;
    }
    QList<QByteArray> dynamic = a->dynamicPropertyNames();
    for (const QByteArray& name : b->dynamicPropertyNames()) {
        if (!dynamic.contains(name))
            dynamic << name;
    }
    for (const QByteArray& name : dynamic) {
        if (const auto differs = difference(a->property(name), b->property(name)))
            found << QString::fromLatin1(name) + QLatin1String(": ") + *differs;
    }
    return found;
}

} // namespace

class TstNutriCardLayoutPaths : public QObject
{
    Q_OBJECT

    TestClientContext context; // the forms work for it: its session and dialogs
    std::unique_ptr<LayoutsOnly> kept;
    std::unique_ptr<LayoutsOnly> fresh;
    QSet<QByteArray> events;

private slots:
    void initTestCase()
    {
        Frm::registerAllClasses();
        kept = std::make_unique<LayoutsOnly>(context.context(), Cli_Zve41300::unit);
        fresh = std::make_unique<LayoutsOnly>(context.context(), Cli_Zve41300::unit);
        Kav::LayoutLoader keptLoader(kept.get(), context.context());
        Kav::LayoutLoader freshLoader(fresh.get(), context.context());
        for (const QString& file : kept->layoutFiles()) {
            QVERIFY(Kav::ParsedLayouts::isCached(file));
            Kav::ParsedLayouts::parse(file); // kept before the form is built, whatever ran first
            keptLoader.apply(file);
            const QString text = readText(file);
            freshLoader.applyText(text, file);
            addEventNames(Kav::LayoutParser(text, file).parse(), events);
        }
        QVERIFY(events.contains("OnClick"));
    }
    void cleanupTestCase()
    {
        kept.reset();
        fresh.reset();
    }

    void sameComponentsInTheSamePlaces()
    {
        const QStringList keptPaths = componentsOf(kept.get()).keys();
        QVERIFY(keptPaths.size() > 50);
        QCOMPARE(keptPaths, componentsOf(fresh.get()).keys());
    }

    void everyComponentHasTheSameProperties_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& path : componentsOf(kept.get()).keys())
            QTest::newRow(qPrintable(path)) << path;
    }
    void everyComponentHasTheSameProperties()
    {
        QFETCH(QString, path);
        QObject* a = componentsOf(kept.get()).value(path);
        QObject* b = componentsOf(fresh.get()).value(path);
        QVERIFY(a && b);
        QCOMPARE(a->metaObject(), b->metaObject());
        const QStringList differences = propertyDifferences(a, b);
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1String("; "))));
        for (const QByteArray& event : std::as_const(events))
            QCOMPARE(Kav::boundHandler(a, event), Kav::boundHandler(b, event));
    }

    void sameTabOrder()
    {
        QStringList keptOrder;
        for (QWidget* w : Frm::tabChain(kept.get()))
            keptOrder << w->objectName();
        QStringList freshOrder;
        for (QWidget* w : Frm::tabChain(fresh.get()))
            freshOrder << w->objectName();
        QVERIFY(keptOrder.size() > 10);
        QCOMPARE(keptOrder, freshOrder);
    }
};

QTEST_MAIN(TstNutriCardLayoutPaths)
#include "tst_nutricardlayoutpaths.moc"
