// What the layout loader keeps so that a form is not built by searching: parsed resource layouts,
// the names of a form's components while a layout is applied, and answers of the meta-object
// system by name. Each must answer exactly what the search it replaces answered.
#include "ClassRegistry.h"
#include "ClientCoreContext.h"
#include "ComponentNames.h"
#include "LayoutError.h"
#include "LayoutLoader.h"
#include "MetaLookup.h"
#include "ParsedLayouts.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kResourceLayout = QStringLiteral(":/tst/layouts/TstReportForm.kfm");

void writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
}

} // namespace

// A component that names a part of its own when it is made, as compound controls do.
class TstCompound : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick\tOnChange")
    Q_CLASSINFO("KavEvents", "  OnExit  ")
    Q_PROPERTY(QString Caption MEMBER caption)
public:
    explicit TstCompound(QObject* parent = nullptr) : QObject(parent)
    {
        (new QObject(this))->setObjectName(QStringLiteral("innerPart"));
    }
    Q_INVOKABLE void compoundClick(QObject*) {}
    QString caption;
};

class TstLayoutLookups : public QObject
{
    Q_OBJECT

    // The client the layouts' components are created in.
    Kav::ClientCoreContext context;
    QObject* form = nullptr;

private slots:
    void initTestCase() { Kav::ClassRegistry::instance().addObject<TstCompound>("TCompound"); }

    void init()
    {
        form = new QObject;
        form->setProperty(Kav::LayoutLoader::layoutClassProperty, QStringLiteral("TstForm"));
    }
    void cleanup() { delete form; }

    // ---- parsed layouts

    void resourceLayoutIsParsedOnceAndShared()
    {
        const Kav::LayoutNode first = Kav::ParsedLayouts::parse(kResourceLayout);
        const Kav::LayoutNode again = Kav::ParsedLayouts::parse(kResourceLayout);
        QCOMPARE(first.name, QString("frmTeste"));
        QVERIFY(!first.children.isEmpty());
        // The same tree handed out twice, not a second parse of the text.
        QCOMPARE(again.children.constData(), first.children.constData());
    }

    void fileOnDiskIsReadAgainAfterItChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("form.kfm");
        writeFile(path, "object f: TstForm\n  object a: TCompound\n  end\nend\n");
        QVERIFY(!Kav::ParsedLayouts::isCached(path));
        QCOMPARE(Kav::ParsedLayouts::parse(path).children.first().name, QString("a"));
        writeFile(path, "object f: TstForm\n  object b: TCompound\n  end\nend\n");
        QCOMPARE(Kav::ParsedLayouts::parse(path).children.first().name, QString("b"));
    }

    void missingResourceIsAnErrorEveryTime()
    {
        const QString missing = QStringLiteral(":/tst/layouts/NoSuchLayout.kfm");
        QVERIFY_THROWS_EXCEPTION(Kav::LayoutError, Kav::ParsedLayouts::parse(missing));
        QVERIFY_THROWS_EXCEPTION(Kav::LayoutError, Kav::ParsedLayouts::parse(missing));
    }

    // ---- component names

    void namesAnswerOnlyWhileIndexing()
    {
        auto* child = new QObject(form);
        child->setObjectName("child");
        Kav::ComponentNames names;
        QVERIFY(!names.lookup("child").has_value());
        {
            const Kav::ComponentNames::Indexing indexing(names, form);
            QCOMPARE(names.lookup("child"), std::optional<QObject*>(child));
            QCOMPARE(names.lookup("absent"), std::optional<QObject*>(nullptr));
        }
        QVERIFY(!names.lookup("child").has_value());
    }

    void namesUnsureAreLeftToTheSearch()
    {
        auto* twice1 = new QObject(form);
        twice1->setObjectName("twice");
        auto* inner = new QObject(new QObject(form));
        inner->setObjectName("twice");
        auto* renamed = new QObject(form);
        renamed->setObjectName("before");
        auto* gone = new QObject(form);
        gone->setObjectName("gone");
        Kav::ComponentNames names;
        const Kav::ComponentNames::Indexing indexing(names, form);
        renamed->setObjectName("after");
        delete gone;
        QVERIFY(!names.lookup("twice").has_value());
        QVERIFY(!names.lookup("before").has_value());
        QVERIFY(!names.lookup("gone").has_value());
    }

    void createdComponentIsKnownWithItsOwnParts()
    {
        Kav::ComponentNames names;
        const Kav::ComponentNames::Indexing indexing(names, form);
        auto* compound = new TstCompound(form);
        compound->setObjectName("compound");
        names.add(compound);
        QCOMPARE(names.lookup("compound"), std::optional<QObject*>(compound));
        QVERIFY(names.lookup("innerPart").value());
    }

    // The loader refuses a name already taken, whoever took it.
    void declaringTakenNameIsAnError_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addRow("by an object of the form before the layout") << "  object taken: TCompound\n  end\n";
        QTest::addRow("by a part a component made for itself")
            << "  object c: TCompound\n  end\n  object innerPart: TCompound\n  end\n";
        QTest::addRow("by a component of the same file") << "  object a: TCompound\n  end\n"
                                                            "  object a: TCompound\n  end\n";
    }
    void declaringTakenNameIsAnError()
    {
        QFETCH(QString, body);
        (new QObject(form))->setObjectName("taken");
        Kav::LayoutLoader loader(form, context);
        try {
            loader.applyText("object f: TstForm\n" + body + "end\n", "names.kfm");
            QFAIL("the layout was accepted");
        } catch (const Kav::LayoutError& error) {
            QVERIFY2(error.text().contains("already exists"), qPrintable(error.message()));
        }
    }

    void componentsAreFoundAfterTheLayoutAsBefore()
    {
        Kav::LayoutLoader loader(form, context);
        loader.applyText("object f: TstForm\n  object a: TCompound\n  end\nend\n", "names.kfm");
        // Outside an application the loader searches the form itself, which may have changed.
        form->findChild<QObject*>("a")->setObjectName("renamed");
        QVERIFY(!loader.component("a"));
        QVERIFY(loader.component("renamed"));
        QCOMPARE(loader.component("f"), form);
    }

    // ---- meta-object look-ups

    void eventsOfEveryClassInfoAreSplitOnAnyBlank()
    {
        QCOMPARE(Kav::MetaLookup::classInfoWords(&TstCompound::staticMetaObject, "KavEvents"),
                 QStringList({"OnClick", "OnChange", "OnExit"}));
        QVERIFY(Kav::MetaLookup::classInfoWords(&QObject::staticMetaObject, "KavEvents").isEmpty());
    }

    void methodsAndPropertiesAnswerAsQtDoes()
    {
        const QMetaObject* meta = &TstCompound::staticMetaObject;
        QVERIFY(Kav::MetaLookup::hasMethodNamed(meta, "compoundClick"));
        QVERIFY(Kav::MetaLookup::hasMethodNamed(meta, "deleteLater")); // of a base class
        QVERIFY(!Kav::MetaLookup::hasMethodNamed(meta, "compoundClik"));
        for (const char* name : {"Caption", "objectName", "Captoin"}) {
            QCOMPARE(Kav::MetaLookup::propertyIndex(meta, QLatin1String(name)), meta->indexOfProperty(name));
            QCOMPARE(Kav::MetaLookup::propertyIndex(meta, QLatin1String(name)), meta->indexOfProperty(name));
        }
    }
};

QTEST_MAIN(TstLayoutLookups)
#include "tst_layoutlookups.moc"
