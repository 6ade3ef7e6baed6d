#include "ClassRegistry.h"
#include "ClientCoreContext.h"
#include "Events.h"
#include "LayoutError.h"
#include "LayoutLoader.h"

#include <QtTest>

// A non-visual component with one property of every kind the layout format writes.
class TstPart : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick OnChange")
    Q_PROPERTY(QString Caption MEMBER caption)
    Q_PROPERTY(int Count MEMBER count)
    Q_PROPERTY(double Ratio MEMBER ratio)
    Q_PROPERTY(bool Active MEMBER active)
    Q_PROPERTY(Shape Kind MEMBER kind)
    Q_PROPERTY(Styles Style READ styles WRITE setStyles)
    Q_PROPERTY(QStringList Lines MEMBER lines)
    Q_PROPERTY(QByteArray Data MEMBER data)
    Q_PROPERTY(TstPart* Link MEMBER link)
    Q_PROPERTY(TstPart* Inner READ inner)
public:
    enum Shape { bsBox, bsFrame, bsBottomLine };
    Q_ENUM(Shape)
    enum FontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
    Q_DECLARE_FLAGS(Styles, FontStyle)
    Q_FLAG(Styles)

    explicit TstPart(QObject* parent = nullptr) : QObject(parent) {}
    Styles styles() const { return style; }
    void setStyles(Styles value) { style = value; }
    TstPart* inner()
    {
        if (!m_inner)
            m_inner = new TstPart(this);
        return m_inner;
    }

    QString caption;
    int count = 0;
    double ratio = 0;
    bool active = false;
    Shape kind = bsBox;
    Styles style;
    QStringList lines;
    QByteArray data;
    TstPart* link = nullptr;

private:
    TstPart* m_inner = nullptr;
};

class TstBaseForm : public QObject
{
    Q_OBJECT
public:
    QStringList calls;
    Q_INVOKABLE void FormCreate(QObject*) { calls << "base FormCreate"; }
    Q_INVOKABLE void partClick(QObject*) { calls << "base partClick"; }
};

// Replaces the base handler of the same name and calls it itself.
class TstDerivedForm : public TstBaseForm
{
    Q_OBJECT
public:
    Q_INVOKABLE void FormCreate(QObject* sender)
    {
        calls << "derived FormCreate";
        TstBaseForm::FormCreate(sender);
    }
};

class TstLayoutLoader : public QObject
{
    Q_OBJECT
    // The client the layouts' components are created in.
    Kav::ClientCoreContext m_context;

private slots:
    void initTestCase() { Kav::ClassRegistry::instance().addObject<TstPart>("TPart"); }

    void buildsComponentsWithEveryValueKind()
    {
        TstBaseForm form;
        Kav::LayoutLoader loader(&form, m_context);
        loader.applyText(R"(// a comment line
object frmBase: TstBaseForm
  object partA: TPart
    Caption = 'It''s a '#67'aption' +
      ' continued'
    Count = -12
    Ratio = 1.5
    Active = True
    Kind = bsBottomLine
    Style = [fsBold, fsUnderline]
    Lines.Strings = (
      'SELECT 1'
      'FROM X')
    Data = {0A0b FF}
    Link = partB
    Inner.Caption = 'inner'
    object child: TPart
      Count = 3
    end
  end
  object partB: TPart
    Style = []
  end
end
)",
                         "base.kfm");
        QCOMPARE(form.objectName(), QString("frmBase"));
        auto* a = form.findChild<TstPart*>("partA");
        auto* b = form.findChild<TstPart*>("partB");
        QVERIFY(a && b);
        QCOMPARE(a->caption, QString("It's a Caption continued"));
        QCOMPARE(a->count, -12);
        QCOMPARE(a->ratio, 1.5);
        QVERIFY(a->active);
        QCOMPARE(a->kind, TstPart::bsBottomLine);
        QCOMPARE(a->style, TstPart::Styles(TstPart::fsBold | TstPart::fsUnderline));
        QCOMPARE(a->lines, QStringList({"SELECT 1", "FROM X"}));
        QCOMPARE(a->data, QByteArray("\x0a\x0b\xff", 3));
        QCOMPARE(a->link, b); // named before it was declared
        QCOMPARE(a->inner()->caption, QString("inner"));
        auto* child = a->findChild<TstPart*>("child", Qt::FindDirectChildrenOnly);
        QVERIFY(child);
        QCOMPARE(child->count, 3);
        QCOMPARE(Kav::LayoutLoader::layoutClassOf(child), QString("TPart"));
    }

    void errorsNameFileAndLine_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("words");
        QTest::addRow("unknown class") << "  object x: TNoSuchClass\n  end\n"
                                       << 2 << "unknown class TNoSuchClass";
        QTest::addRow("unknown property") << "  object x: TPart\n    Captoin = 'a'\n  end\n"
                                          << 3 << "no property Captoin";
        QTest::addRow("unknown sub-property") << "  object x: TPart\n    Count.Size = 1\n  end\n"
                                              << 3 << "no property Count.Size";
        QTest::addRow("unknown handler") << "  object x: TPart\n    OnClick = xClik\n  end\n"
                                         << 3 << "unknown handler xClik";
        QTest::addRow("event the class lacks") << "  object x: TPart\n    OnExit = partClick\n  end\n"
                                               << 3 << "no event OnExit";
        QTest::addRow("unknown reference") << "  object x: TPart\n\n    Link = nowhere\n  end\n"
                                           << 4 << "unknown component nowhere";
        QTest::addRow("text for an integer") << "  object x: TPart\n    Count = '3'\n  end\n"
                                             << 3 << "does not take a text";
        QTest::addRow("boolean for a text") << "  object x: TPart\n    Caption = True\n  end\n"
                                            << 3 << "does not take a boolean";
        QTest::addRow("bad enumeration") << "  object x: TPart\n    Kind = bsCircle\n  end\n"
                                         << 3 << "bsCircle is not a value";
        QTest::addRow("duplicate component") << "  object x: TPart\n  end\n  object x: TPart\n  end\n"
                                             << 4 << "already exists";
        QTest::addRow("inherited missing") << "  inherited y: TPart\n  end\n" << 2 << "does not exist";
        QTest::addRow("unterminated text") << "  object x: TPart\n    Caption = 'abc\n  end\n"
                                           << 3 << "unterminated text";
        QTest::addRow("missing end") << "  object x: TPart\n    Count = 1\n" << 1 << "has no 'end'";
        QTest::addRow("missing equals") << "  object x: TPart\n    Count 1\n  end\n" << 3 << "'=' expected";
    }
    void errorsNameFileAndLine()
    {
        QFETCH(QString, body);
        QFETCH(int, line);
        QFETCH(QString, words);
        TstBaseForm form;
        Kav::LayoutLoader loader(&form, m_context);
        try {
            loader.applyText("object f: TstBaseForm\n" + body + "end\n", "broken.kfm");
            QFAIL("the layout was accepted");
        } catch (const Kav::LayoutError& error) {
            QCOMPARE(error.fileName(), QString("broken.kfm"));
            QCOMPARE(error.line(), line);
            QVERIFY2(error.text().contains(words), qPrintable(error.message()));
            QVERIFY(error.message().startsWith(QStringLiteral("broken.kfm:%1: ").arg(line)));
        }
    }

    void rootClassMustMatchTheForm()
    {
        TstBaseForm form;
        Kav::LayoutLoader loader(&form, m_context);
        QVERIFY_THROWS_EXCEPTION(Kav::LayoutError, loader.applyText("object f: TOtherForm\nend\n", "a.kfm"));
    }

    void unreadableFileIsAnErrorNamingIt()
    {
        TstBaseForm form;
        Kav::LayoutLoader loader(&form, m_context);
        try {
            loader.apply("/nonexistent/layout.kfm");
            QFAIL("no error");
        } catch (const Kav::LayoutError& error) {
            QCOMPARE(error.fileName(), QString("/nonexistent/layout.kfm"));
        }
    }

    void laterFilesChangeInheritedComponents()
    {
        TstDerivedForm form;
        Kav::LayoutLoader loader(&form, m_context);
        loader.applyText("object frmBase: TstBaseForm\n  object part: TPart\n    Caption = 'base'\n"
                         "    Count = 1\n  end\nend\n",
                         "base.kfm");
        loader.applyText(
            "inherited frmDerived: TstDerivedForm\n  inherited part: TPart\n"
            "    Caption = 'changed'\n  end\n  object extra: TPart\n    Link = part\n  end\nend\n",
            "derived.kfm");
        QCOMPARE(form.objectName(), QString("frmDerived"));
        auto* part = form.findChild<TstPart*>("part");
        QCOMPARE(part->caption, QString("changed"));
        QCOMPARE(part->count, 1); // what the later file does not state stays as the base set it
        QCOMPARE(form.findChild<TstPart*>("extra")->link, part);
        QCOMPARE(form.findChildren<TstPart*>("part").size(), 1);
    }

    void inheritedComponentMustKeepItsClass()
    {
        TstBaseForm form;
        Kav::LayoutLoader loader(&form, m_context);
        loader.applyText("object f: TstBaseForm\n  object part: TPart\n  end\nend\n", "base.kfm");
        try {
            loader.applyText("object f: TstBaseForm\n  inherited part: TLabel\n  end\nend\n", "over.kfm");
            QFAIL("class change accepted");
        } catch (const Kav::LayoutError& error) {
            QCOMPARE(error.line(), 2);
            QVERIFY(error.text().contains("is a TPart, not a TLabel"));
        }
    }

    void derivedHandlerReplacesBaseHandlerByName()
    {
        Kav::ClientCoreContext context; // the handlers run as its commands
        TstDerivedForm form;
        Kav::LayoutLoader loader(&form, context);
        loader.applyText("object frmBase: TstBaseForm\n  object part: TPart\n    OnClick = partClick\n"
                         "    OnChange = FormCreate\n  end\nend\n",
                         "base.kfm");
        auto* part = form.findChild<TstPart*>("part");
        QObject* sender = part;
        QVERIFY(Kav::fireEvent(part, "OnChange", Q_ARG(QObject*, sender)));
        QVERIFY(Kav::fireEvent(part, "OnClick", Q_ARG(QObject*, sender)));
        QCOMPARE(form.calls, QStringList({"derived FormCreate", "base FormCreate", "base partClick"}));
    }
};

QTEST_MAIN(TstLayoutLoader)
#include "tst_layoutloader.moc"
