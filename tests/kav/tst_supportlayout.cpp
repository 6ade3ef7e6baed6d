#include "DataPacket.h"
#include "LayoutError.h"
#include "LayoutLoader.h"
#include "Registration.h"
#include "StandardWidgets.h"
#include "SupportWidgets.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDateEditPlus.h"
#include "TestClientContext.h"

#include <QLineEdit>
#include <QtTest>

// A form whose layout places the support widgets, as a screen's stored layout does.
class TstLookupForm : public QWidget
{
    Q_OBJECT
public:
    QStringList calls;
    Q_INVOKABLE void btpTesteBeforePesq(QObject*, bool&) { calls << "before"; }
    Q_INVOKABLE void btpTesteAfterPesq(QObject*) { calls << "after"; }
    Q_INVOKABLE void sbtServicoClick(QObject*) { calls << "flat click"; }
};

namespace {
const char* const kLayout = R"(object frmTeste: TstLookupForm
  object edtCodigo: TEdit
    Left = 8
    Top = 8
  end
  object btpTeste: TBtnPesquisa
    Left = 120
    Top = 8
    Associate = edtCodigo
    Title = 'Tipo de Cardápio'
    DataSource = dtsTeste
    EmptyError = 'Não há tipo de cardápio cadastro para a filial informada.'
    Hint = 'Pesquisar'
    OnBeforePesq = btpTesteBeforePesq
    OnAfterPesq = btpTesteAfterPesq
  end
  object depIniPeriodo: TDateEditPlus
    Left = 8
    Top = 40
    ValidDateColor = clBlue
    SaveTime = False
    NomeSemana.Strings = (
      'Dom' 'Seg' 'Ter' 'Qua' 'Qui' 'Sex' 'Sab')
  end
  object sbtServico: TButtonFlat
    Hint = 'Pesquisar'
    OnClick = sbtServicoClick
  end
  object cdsTeste: TClientDataSet
    object cdsTesteCODIGO: TStringField
      FieldName = 'CODIGO'
      Size = 10
    end
  end
  object dtsTeste: TDataSource
    DataSet = cdsTeste
  end
end
)";
} // namespace

class TstSupportLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Kav::registerDataClasses();
        Kav::registerStandardWidgets();
        Kav::registerSupportWidgets();
    }

    void layoutBuildsAndWiresTheSupportWidgets()
    {
        TestClientContext context;
        TstLookupForm form;
        Kav::LayoutLoader loader(&form, context.context());
        loader.applyText(QString::fromUtf8(kLayout), "teste.kfm");
        auto* button = form.findChild<TBtnPesquisa*>("btpTeste");
        auto* edit = form.findChild<QLineEdit*>("edtCodigo");
        auto* date = form.findChild<TDateEditPlus*>("depIniPeriodo");
        auto* flat = form.findChild<TButtonFlat*>("sbtServico");
        QVERIFY(button && edit && date && flat);
        QCOMPARE(button->title(), QString("Tipo de Cardápio"));
        QCOMPARE(button->toolTip(), QString("Pesquisar"));
        QCOMPARE(date->validDateColor(), QColor(Qt::blue));
        date->SetDate(QDateTime(QDate(2024, 3, 18), QTime(0, 0)));
        QCOMPARE(date->weekDayName(), QString("Seg"));

        auto* dataSet = form.findChild<TClientDataSet*>("cdsTeste");
        Kav::DataPacket packet;
        packet.fields.append({"CODIGO", Kav::FieldDef::Type::String, 10});
        packet.rows = {{"0000000001"}, {"0000000002"}};
        dataSet->setData(packet);
        context.dialogs().queueAnswer(Kav::DialogKind::Lookup, "CODIGO=0000000002");
        QTest::keyClick(edit, Qt::Key_F9);
        QCOMPARE(dataSet->RecNo(), 2);
        flat->click();
        QCOMPARE(form.calls, (QStringList{"before", "after", "flat click"}));
    }

    void eventsTheWidgetsDoNotFireAreRefused_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addRow("lookup button") << "object b: TBtnPesquisa\n    OnChange = sbtServicoClick\n  end\n";
        QTest::addRow("flat button") << "object b: TButtonFlat\n    OnAfterPesq = btpTesteAfterPesq\n  end\n";
    }
    void eventsTheWidgetsDoNotFireAreRefused()
    {
        QFETCH(QString, component);
        Kav::ClientCoreContext context;
        TstLookupForm form;
        Kav::LayoutLoader loader(&form, context);
        QVERIFY_THROWS_EXCEPTION(
            Kav::LayoutError, loader.applyText("object f: TstLookupForm\n  " + component + "end\n", "x.kfm"));
    }
};

QTEST_MAIN(TstSupportLayout)
#include "tst_supportlayout.moc"
