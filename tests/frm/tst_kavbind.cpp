// The generator of form bindings: which components of a form's layouts become members, the
// places it records for them, what it refuses, and the code it writes.
#include "BindingWriter.h"
#include "ConstructionWriter.h"
#include "LayoutComponents.h"
#include "LayoutError.h"
#include "LayoutParser.h"

#include <QtTest>

namespace {

const QString kBase = QStringLiteral("object frmBase: TfrmBase\n"
                                     "  object panTop: TPanel\n"
                                     "    Align = alTop\n"
                                     "    Height = 27\n"
                                     "    object lblCode: TLabel\n"
                                     "      Left = 440\n"
                                     "      Top = 7\n"
                                     "      Width = 45\n"
                                     "      Height = 13\n"
                                     "    end\n"
                                     "  end\n"
                                     "end\n");

// A form's own layout over kBase: an edit inside the base's panel, and a query of its own.
const QString kOwn = QStringLiteral("inherited frmOwn: TfrmOwn\n"
                                    "  inherited panTop: TPanel\n"
                                    "    object edtName: TEdit\n"
                                    "      Left = 1\n"
                                    "      Top = 2\n"
                                    "      Width = 3\n"
                                    "      Height = 4\n"
                                    "    end\n"
                                    "  end\n"
                                    "  object qryBranch: TADOIBQuery\n"
                                    "  end\n"
                                    "end\n");

Kav::LayoutNode parse(const QString& text, const QString& fileName = QStringLiteral("test.kfm"))
{
    return Kav::LayoutParser(text, fileName).parse();
}

KavBind::LayoutComponents gatherLayouts(const QString& own, const QString& base = kBase)
{
    KavBind::LayoutComponents components;
    components.add(parse(base, QStringLiteral("base.kfm")), QStringLiteral("base.kfm"), false);
    components.add(parse(own, QStringLiteral("own.kfm")), QStringLiteral("own.kfm"), true);
    return components;
}

QList<KavBind::Component> gather(const QString& own, const QString& base = kBase)
{
    return gatherLayouts(own, base).all();
}

const KavBind::Component* find(const QList<KavBind::Component>& components, const QString& name)
{
    for (const KavBind::Component& component : components) {
        if (component.name == name)
            return &component;
    }
    return nullptr;
}

} // namespace

class TstKavBind : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheFormsOwnComponentsAreItsMembers()
    {
        const auto components = gather(kOwn);
        QCOMPARE(components.size(), 4);
        QVERIFY(!find(components, "panTop")->own);
        QVERIFY(!find(components, "lblCode")->own);
        const KavBind::Component* edit = find(components, "edtName");
        QVERIFY(edit->own);
        QCOMPARE(edit->className, QString("TEdit"));
        QCOMPARE(edit->parent, QString("panTop"));
        // Children of the form itself name no parent: a screen renames the form.
        QCOMPARE(find(components, "panTop")->parent, QString());
    }

    void fieldsAndParametersAreLeftToTheirDataSet()
    {
        const auto components = gather("inherited frmOwn: TfrmOwn\n"
                                       "  object qryBranch: TADOIBQuery\n"
                                       "    object qryBranchP_CODE: TParameter\n"
                                       "      ParamName = 'P_CODE'\n"
                                       "    end\n"
                                       "    object qryBranchCODE: TStringField\n"
                                       "      FieldName = 'CODE'\n"
                                       "    end\n"
                                       "    object qryBranchWHEN: TDateTimeField\n"
                                       "      FieldName = 'WHEN'\n"
                                       "    end\n"
                                       "  end\n"
                                       "end\n");
        QVERIFY(find(components, "qryBranch"));
        QVERIFY(!find(components, "qryBranchP_CODE"));
        QVERIFY(!find(components, "qryBranchCODE"));
        QVERIFY(!find(components, "qryBranchWHEN"));
    }

    void placeIsTheLastOfEveryLayout_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QRect>("geometry");
        QTest::addRow("base place kept") << "inherited frmOwn: TfrmOwn\nend\n"
                                         << true << QRect(440, 7, 45, 13);
        QTest::addRow("changed by the form")
            << "inherited frmOwn: TfrmOwn\n inherited panTop: TPanel\n  inherited lblCode: TLabel\n"
               "   Width = 39\n  end\n end\nend\n"
            << true << QRect(440, 7, 39, 13);
        QTest::addRow("aligned by the form")
            << "inherited frmOwn: TfrmOwn\n inherited panTop: TPanel\n  inherited lblCode: TLabel\n"
               "   Align = alClient\n  end\n end\nend\n"
            << false << QRect();
        QTest::addRow("alignment taken back")
            << "inherited frmOwn: TfrmOwn\n inherited panTop: TPanel\n  inherited lblCode: TLabel\n"
               "   Align = alClient\n   Align = alNone\n  end\n end\nend\n"
            << true << QRect(440, 7, 45, 13);
    }
    void placeIsTheLastOfEveryLayout()
    {
        QFETCH(QString, own);
        QFETCH(bool, placed);
        QFETCH(QRect, geometry);
        const QList<KavBind::Component> components = gather(own);
        const KavBind::Component* label = find(components, "lblCode");
        QCOMPARE(label->geometry.has_value(), placed);
        if (placed)
            QCOMPARE(*label->geometry, geometry);
    }

    void partlyPlacedOrAlignedComponentsHaveNoPlace()
    {
        // panTop is aligned; edtHalf lacks its height.
        const auto components = gather("inherited frmOwn: TfrmOwn\n"
                                       "  object edtHalf: TEdit\n"
                                       "    Left = 1\n"
                                       "    Top = 2\n"
                                       "    Width = 3\n"
                                       "  end\n"
                                       "end\n");
        QVERIFY(!find(components, "panTop")->geometry);
        QVERIFY(!find(components, "edtHalf")->geometry);
    }

    void contradictoryLayoutsAreRefusedWithFileAndLine_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addRow("declared twice") << "inherited frmOwn: TfrmOwn\n  object lblCode: TLabel\n  end\nend\n"
                                        << 2 << "component lblCode is declared twice";
        QTest::addRow("changed, never declared")
            << "inherited frmOwn: TfrmOwn\n\n  inherited edtGone: TEdit\n  end\nend\n"
            << 3 << "inherited component edtGone is declared by no layout before it";
        QTest::addRow("event no component fires") << "inherited frmOwn: TfrmOwn\n  object edtName: TEdit\n   "
                                                     " OnDblClick = edtNameDblClick\n  end\nend\n"
                                                  << 3 << "no component fires an event OnDblClick";
        QTest::addRow("one handler, two kinds of event")
            << "inherited frmOwn: TfrmOwn\n  object edtName: TEdit\n    OnClick = edtNameKey\n"
               "    OnKeyPress = edtNameKey\n  end\nend\n"
            << 4
            << "handler edtNameKey is bound to events of different kinds (QObject* Sender; QObject* Sender, "
               "QChar& Key)";
    }
    void contradictoryLayoutsAreRefusedWithFileAndLine()
    {
        QFETCH(QString, own);
        QFETCH(int, line);
        QFETCH(QString, text);
        try {
            gather(own);
            QFAIL("the layouts were accepted");
        } catch (const Kav::LayoutError& error) {
            QCOMPARE(error.fileName(), QString("own.kfm"));
            QCOMPARE(error.line(), line);
            QCOMPARE(error.text(), text);
        }
    }

    void writtenCodeDeclaresAndBindsTheOwnComponentsOnly()
    {
        const auto components = gather("inherited frmOwn: TfrmOwn\n"
                                       "  object edtName: TEdit\n"
                                       "  end\n"
                                       "  object netServer: TNetConnection\n"
                                       "    ServerName = 'Mod.\"rdm\"\\x'\n"
                                       "  end\n"
                                       "  object edtOther: TEdit\n"
                                       "  end\n"
                                       "end\n");
        const KavBind::BindingWriter writer("TfrmOwn", {"own.kfm"}, components, {});
        QCOMPARE(writer.headerFileName(), QString("TfrmOwnBindings.h"));
        const QString header = writer.header();
        QVERIFY(header.contains("struct TfrmOwnComponents"));
        QVERIFY(header.contains("    TEdit* edtName = nullptr;\n"));
        QVERIFY(header.contains("    TNetConnection* netServer = nullptr;\n"));
        QVERIFY(!header.contains("lblCode = nullptr"));
        QVERIFY(header.contains("std::array<LayoutComponent, 5> layout"));
        QVERIFY(header.contains("netServerServerName = \"Mod.\\\"rdm\\\"\\\\x\";\n"));
        const QString source = writer.source();
        QCOMPARE(source.count("#include \"TEdit.h\""), 1);
        QVERIFY(source.contains("#include \"TNetConnection.h\""));
        QVERIFY(!source.contains("TLabel"));
        QVERIFY(source.contains("bindComponent(form, edtOther, \"edtOther\");"));
        QCOMPARE(source.count("bindComponent(form, "), 3);
    }

    // Each handler the form's own layouts bind is declared once, with the parameters of its event;
    // one a base form's layouts bind too overrides the base class's, and one only a base form's
    // layouts bind is the base class's to declare.
    void handlersAreDeclaredFromTheLayouts()
    {
        const QString base = "object frmBase: TfrmBase\n  OnCreate = FormCreate\n  OnClose = FormClose\n"
                             "  object cbbNames: TComboBox\n    OnChange = cbbNamesChange\n  end\nend\n";
        const QString own = "inherited frmOwn: TfrmOwn\n"
                            "  inherited cbbNames: TComboBox\n    OnChange = cbbNamesChange\n  end\n"
                            "  object rbtList: TRadioButton\n    OnClick = rbtListClick\n"
                            "    OnKeyDown = rbtListKeyDown\n  end\n"
                            "  object rbtAll: TRadioButton\n    OnClick = rbtListClick\n  end\n"
                            "  object btpKind: TBtnPesquisa\n    OnBeforePesq = btpKindBeforePesq\n  end\n"
                            "  object rpdd: TReportDesignerDialog\n"
                            "    OnBeforeGetQueryParams = rpddBeforeGetQueryParams\n  end\n"
                            "end\n";
        const KavBind::LayoutComponents layouts = gatherLayouts(own, base);
        const QString header =
            KavBind::BindingWriter("TfrmOwn", {"own.kfm"}, layouts.all(), layouts.handlers()).header();
        const qsizetype macro = header.indexOf("#define KAVLAYOUT_TfrmOwn_HANDLERS \\\n");
        QVERIFY2(macro >= 0, qPrintable(header));
        const QString declarations = header.mid(macro, header.indexOf("\n\n", macro) - macro);
        const QStringList expected = {
            "    Q_INVOKABLE void cbbNamesChange(QObject* Sender) override;",
            "    Q_INVOKABLE virtual void rbtListClick(QObject* Sender);",
            "    Q_INVOKABLE virtual void rbtListKeyDown(QObject* Sender, quint16& Key, "
            "Qt::KeyboardModifiers Shift);",
            "    Q_INVOKABLE virtual void btpKindBeforePesq(QObject* Sender, bool& Proceed);",
            "    Q_INVOKABLE virtual void rpddBeforeGetQueryParams(TParams& Params, bool& Cancel);"};
        QCOMPARE(declarations.split(" \\\n").mid(1), expected);
    }

    // The floor benchmarks measure a form against: every component, the base form's included,
    // built in its parent once the parent exists, and placed only where the layouts place it.
    void constructionBuildsParentsFirstAndPlacesWhatTheLayoutsPlace()
    {
        const QString source = KavBind::ConstructionWriter("TfrmOwn", {"own.kfm"}, gather(kOwn)).source();
        QVERIFY(source.contains("void buildTfrmOwnComponents(QWidget& form)"));
        const qsizetype panel = source.indexOf("    auto* panTop = construct<TPanel>(form, \"panTop\");\n");
        QVERIFY(panel >= 0);
        QVERIFY(!source.contains("place(panTop")); // aligned
        const qsizetype label =
            source.indexOf("    place(construct<TLabel>(*panTop, \"lblCode\"), 440, 7, 45, 13);\n");
        QVERIFY(label > panel);
        QVERIFY(source.contains("    place(construct<TEdit>(*panTop, \"edtName\"), 1, 2, 3, 4);\n"));
        QVERIFY(source.contains("    construct<TADOIBQuery>(form, \"qryBranch\");\n"));
        for (const char* header : {"TADOIBQuery.h", "TEdit.h", "TLabel.h", "TPanel.h"})
            QCOMPARE(source.count(QStringLiteral("#include \"%1\"").arg(header)), 1);
    }
};

QTEST_GUILESS_MAIN(TstKavBind)
#include "tst_kavbind.moc"
