// The screen as its stored layout builds it: every control's place and initial state, the
// masks, the message catalogue, the layout test and print options, and the shortcuts.
#include "Cli_Zve41300.h"
#include "Colors.h"
#include "DemoDatabase.h"
#include "Events.h"
#include "FormFactory.h"
#include "GeneratedLayoutRows.h"
#include "ReportCatalog.h"
#include "TCheckBox.h"
#include "TComboBox.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"
#include "TMaskEdit.h"
#include "TMessages.h"
#include "TSpeedButton.h"

#include <optional>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

using Cli_Zve41300::frmNutriCard;

// The catalogue: the screen's documented entries, then the texts the screen added later.
constexpr int kDocumentedEntries = 28;
constexpr int kAddedEntries = 15;

// Records the clicks of command buttons rebound to it.
class Presses : public QObject
{
    Q_OBJECT
public:
    QStringList pressed;
    Q_INVOKABLE void press(QObject* sender) { pressed << sender->objectName(); }
};

class TstNutriCardForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<DemoDatabase> database;
    // Each test's own, made before its form and ended after it.
    std::optional<TestClientContext> context;

    TfrmNutriCard* form = nullptr;

    template <class T = QWidget> T* control(const char* name)
    {
        auto* found = form->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

private slots:
    void initTestCase()
    {
        database = std::make_unique<DemoDatabase>();
        QVERIFY2(database->error().isEmpty(), qPrintable(database->error()));
    }
    void cleanupTestCase() { database.reset(); }

    void init()
    {
        context.emplace(DemoDatabase::centralSession());
        database->openShared();
        Frm::createForm(frmNutriCard, context->context(), Cli_Zve41300::unit);
        form = frmNutriCard;
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void cleanup()
    {
        if (frmNutriCard)
            frmNutriCard->Close();
        QTRY_VERIFY(!frmNutriCard);
        form = nullptr;
        QTest::qWait(0); // the closed form is deleted
        context.reset();
    }

    void formIsPlacedAndSizedAsDesigned()
    {
        QCOMPARE(form->objectName(), QString("frmNutriCard"));
        QCOMPARE(form->windowTitle(), QString("Nutrientes do Cardápio"));
        QCOMPARE(form->size(), QSize(490, 376));
        QCOMPARE(form->pos(), QPoint(373, 198));
        QCOMPARE(form->minimumSize(), form->maximumSize()); // single, fixed border
    }

    // Every component of the screen's layouts and the base form's, as the table generated with
    // the form's bindings declares it.
    void componentsStandWhereTheLayoutsPutThem_data()
    {
        GeneratedLayoutRows::addRows(KavLayout::TfrmNutriCardComponents::layout);
    }
    void componentsStandWhereTheLayoutsPutThem() { GeneratedLayoutRows::checkRow(form); }

    // The screen's documented layout, typed here by hand rather than read from the layout file:
    // a wrong number in the layout file fails here. Left, top, width, height in the parent.
    void controlsStandWhereTheScreenIsDocumented_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        const struct
        {
            const char* name;
            const char* parent;
            QRect geometry;
        } documented[] = {
            {"panFiltro", "grbDadosRel", {2, 45, 487, 59}},
            {"lblFilial", "panFiltro", {6, 9, 179, 13}},
            {"medCdFilial", "panFiltro", {188, 5, 55, 21}},
            {"sbtFilial", "panFiltro", {246, 5, 21, 21}},
            {"edtNmFilial", "panFiltro", {270, 5, 210, 21}},
            {"lblTipoCard", "panFiltro", {7, 34, 119, 13}},
            {"medCdTipoCard", "panFiltro", {154, 32, 73, 21}},
            {"btpTipoCard", "panFiltro", {233, 32, 21, 21}},
            {"edtNmTipoCard", "panFiltro", {258, 32, 223, 21}},
            {"grbPeriodo", "grbDadosRel", {6, 107, 480, 45}},
            {"Label4", "grbPeriodo", {9, 19, 17, 13}},
            {"Label5", "grbPeriodo", {171, 19, 19, 13}},
            {"depIniPeriodo", "grbPeriodo", {50, 16, 100, 21}},
            {"depFinPeriodo", "grbPeriodo", {221, 16, 100, 21}},
            {"btpPeriodo", "grbPeriodo", {363, 16, 21, 21}},
            {"grbDescCard", "grbDadosRel", {6, 155, 480, 45}},
            {"edtDsCardZVE", "grbDescCard", {6, 16, 467, 21}},
            {"grbTipoPrat", "grbDadosRel", {6, 205, 150, 69}},
            {"rbtTodoTPrato", "grbTipoPrat", {6, 15, 73, 17}},
            {"rbtListaTPrato", "grbTipoPrat", {6, 39, 73, 17}},
            {"btpTipoPrat", "grbTipoPrat", {65, 36, 21, 21}},
            {"grbServico", "grbDadosRel", {172, 205, 150, 69}},
            {"rbtTodosServ", "grbServico", {6, 17, 76, 17}},
            {"rbtListaServ", "grbServico", {6, 42, 60, 16}},
            {"sbtServico", "grbServico", {66, 40, 21, 21}},
            {"grbNutriente", "grbDadosRel", {333, 205, 150, 69}},
            {"rbtTodosNutr", "grbNutriente", {6, 17, 76, 17}},
            {"rbtListaNutr", "grbNutriente", {6, 42, 60, 16}},
            {"sbtNutriente", "grbNutriente", {66, 40, 21, 21}},
            {"grbEspecifico", "grbDadosRel", {6, 275, 480, 46}},
            {"chbEspecifico", "grbEspecifico", {7, 0, 81, 16}},
            {"lblFiliAgre", "grbEspecifico", {6, 19, 89, 13}},
            {"medCdFiliAgre", "grbEspecifico", {102, 16, 55, 21}},
            {"btpFiliAgre", "grbEspecifico", {161, 16, 21, 21}},
            {"edtNmFiliAgre", "grbEspecifico", {186, 16, 287, 21}},
            {"chbOpcao", "grbDadosRel", {16, 324, 131, 17}},
            {"chbNDPCal", "grbDadosRel", {245, 324, 151, 17}},
        };
        for (const auto& row : documented)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.parent)
                                    << row.geometry;
    }
    void controlsStandWhereTheScreenIsDocumented()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QWidget* widget = control(name.toLatin1().constData());
        QCOMPARE(widget->parent()->objectName(), parent);
        QCOMPARE(widget->geometry(), geometry);
    }

    // What the screen's layout changes of the base form's components, as documented: only the
    // numbers it gives (-1: the base form's own).
    void inheritedComponentsTakeTheDocumentedChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("lblCodTela") << "lblCodTela" << -1 << -1 << 53 << -1;
        QTest::newRow("lblCodRel") << "lblCodRel" << -1 << -1 << 39 << -1;
        QTest::newRow("panMenu") << "panMenu" << -1 << -1 << 490 << -1;
        QTest::newRow("grbDadosRel") << "grbDadosRel" << -1 << -1 << 490 << 349;
        QTest::newRow("bvlSeparator") << "bvlSeparator" << -1 << 38 << 486 << -1;
        QTest::newRow("panRelat") << "panRelat" << -1 << -1 << 486 << 23;
        QTest::newRow("lblRelat") << "lblRelat" << -1 << 5 << -1 << -1;
        QTest::newRow("cbbReportNames") << "cbbReportNames" << 102 << 1 << 380 << -1;
    }
    void inheritedComponentsTakeTheDocumentedChanges()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        const QRect geometry = control(name.toLatin1().constData())->geometry();
        for (const auto& [documented, actual] :
             {std::pair{left, geometry.left()}, std::pair{top, geometry.top()},
              std::pair{width, geometry.width()}, std::pair{height, geometry.height()}}) {
            if (documented >= 0)
                QCOMPARE(actual, documented);
        }
    }

    // Aligned panels take their place from the form, not from the numbers in the layout.
    void alignedPanelsFillTheirParent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("panMenu") << "panMenu" << QRect(0, 0, 490, 27);
        QTest::newRow("grbDadosRel") << "grbDadosRel" << QRect(0, 27, 490, 349);
        QTest::newRow("bvlFilial") << "bvlFilial" << QRect(2, 45, 486, 62);
    }
    void alignedPanelsFillTheirParent()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QCOMPARE(control(name.toLatin1().constData())->geometry(), geometry);
    }

    void everyControlStartsInItsDesignedState_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("color"); // background; empty when not looked at
        QTest::newRow("lblFilial") << "lblFilial" << false << "";
        QTest::newRow("medCdFilial") << "medCdFilial" << false << "clBtnFace";
        QTest::newRow("sbtFilial") << "sbtFilial" << false << "";
        QTest::newRow("edtNmFilial") << "edtNmFilial" << false << "clBtnFace";
        QTest::newRow("lblTipoCard") << "lblTipoCard" << true << "";
        QTest::newRow("medCdTipoCard") << "medCdTipoCard" << true << "clInfoBk";
        QTest::newRow("btpTipoCard") << "btpTipoCard" << true << "";
        QTest::newRow("edtNmTipoCard") << "edtNmTipoCard" << false << "clBtnFace";
        QTest::newRow("depIniPeriodo") << "depIniPeriodo" << false << "clBtnFace";
        QTest::newRow("depFinPeriodo") << "depFinPeriodo" << false << "clBtnFace";
        QTest::newRow("btpPeriodo") << "btpPeriodo" << true << "";
        QTest::newRow("edtDsCardZVE") << "edtDsCardZVE" << false << "clBtnFace";
        QTest::newRow("rbtTodoTPrato") << "rbtTodoTPrato" << true << "";
        QTest::newRow("btpTipoPrat") << "btpTipoPrat" << false << "";
        QTest::newRow("sbtServico") << "sbtServico" << false << "";
        QTest::newRow("sbtNutriente") << "sbtNutriente" << false << "";
        QTest::newRow("chbEspecifico") << "chbEspecifico" << true << "";
        QTest::newRow("lblFiliAgre") << "lblFiliAgre" << false << "";
        QTest::newRow("medCdFiliAgre") << "medCdFiliAgre" << false << "clBtnFace";
        QTest::newRow("btpFiliAgre") << "btpFiliAgre" << false << "";
        QTest::newRow("edtNmFiliAgre") << "edtNmFiliAgre" << false << "clBtnFace";
        QTest::newRow("chbOpcao") << "chbOpcao" << true << "";
        QTest::newRow("chbNDPCal") << "chbNDPCal" << true << "";
    }
    void everyControlStartsInItsDesignedState()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(QString, color);
        QWidget* w = control(name.toLatin1().constData());
        QCOMPARE(w->isEnabled(), enabled);
        QVERIFY(w->isVisible());
        if (!color.isEmpty())
            QCOMPARE(Kav::colorOf(w), color);
    }

    void optionsStartAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        QTest::newRow("rbtTodoTPrato") << "rbtTodoTPrato"
                                       << "Todos" << true;
        QTest::newRow("rbtListaTPrato") << "rbtListaTPrato"
                                        << "Lista" << false;
        QTest::newRow("rbtTodosServ") << "rbtTodosServ"
                                      << "Todos" << true;
        QTest::newRow("rbtListaServ") << "rbtListaServ"
                                      << "Lista" << false;
        QTest::newRow("rbtTodosNutr") << "rbtTodosNutr"
                                      << "Todos" << true;
        QTest::newRow("rbtListaNutr") << "rbtListaNutr"
                                      << "Lista" << false;
        QTest::newRow("chbEspecifico") << "chbEspecifico"
                                       << "Específico" << false;
        QTest::newRow("chbOpcao") << "chbOpcao"
                                  << "Imprime Opção" << true;
        QTest::newRow("chbNDPCal") << "chbNDPCal"
                                   << "Imprime NDPCal" << false;
    }
    void optionsStartAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        auto* button = control<QAbstractButton>(name.toLatin1().constData());
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->isChecked(), checked);
    }

    void captionsAndFontsAreTheDesignedOnes()
    {
        QCOMPARE(control<QLabel>("lblCodTela")->text(), QString("ZVE41300"));
        QCOMPARE(control<QLabel>("lblCodRel")->text(), QString("Zve413"));
        QCOMPARE(control<QLabel>("lblFilial")->text(), QString("Central de Alimentação Escolar"));
        QCOMPARE(control<QGroupBox>("grbPeriodo")->title(), QString("Período"));
        QCOMPARE(control<QGroupBox>("grbDescCard")->title(), QString("Descrição do Cardápio"));
        QVERIFY(control<QGroupBox>("grbEspecifico")->title().isEmpty());
        for (const char* bold :
             {"lblFilial", "lblTipoCard", "grbPeriodo", "grbServico", "chbOpcao", "lblFiliAgre"}) {
            const QFont font = control(bold)->font();
            QVERIFY2(font.bold(), bold);
            QCOMPARE(font.family(), QString("MS Sans Serif"));
        }
        QCOMPARE(control("grbPeriodo")->font().pixelSize(), 11);
        QCOMPARE(control("grbServico")->font().pixelSize(), 12);
        QCOMPARE(control("grbNutriente")->font().pixelSize(), 12);
        // Edits inside bold groups are back to the regular style.
        for (const char* regular : {"depIniPeriodo", "edtDsCardZVE", "medCdFiliAgre", "edtNmFiliAgre"})
            QVERIFY2(!control(regular)->font().bold(), regular);
        QVERIFY(control("depIniPeriodo")->property("Date").toDateTime().isNull());
        QVERIFY(control<QLineEdit>("depFinPeriodo")->text().isEmpty());
    }

    void tabOrderFollowsTheLayout()
    {
        // From the menu-type code the Tab key walks the criteria in the designed order;
        // disabled boxes and search buttons are skipped.
        const QStringList expected = {"rbtTodoTPrato", "rbtTodosServ", "rbtTodosNutr",   "chbEspecifico",
                                      "chbOpcao",      "chbNDPCal",    "cbbReportNames", "medCdTipoCard"};
        control("medCdTipoCard")->setFocus();
        QStringList walked;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, expected);
        // Shift+Tab walks back the same way.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("cbbReportNames"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("chbNDPCal"));
    }

    void lookupAndCommandButtonsTakeNoFocus()
    {
        for (const char* name : {"sbtFilial", "btpTipoCard", "btpPeriodo", "btpTipoPrat", "btpFiliAgre",
                                 "sbtServico", "sbtNutriente", "sbtPrint", "sbtSair"})
            QCOMPARE(control(name)->focusPolicy(), Qt::NoFocus);
    }

    void branchCodesTakeFourLettersOrDigitsInUpperCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("filial agregada, letters raised") << "medCdFiliAgre"
                                                         << "ab1c"
                                                         << "AB1C";
        QTest::newRow("filial agregada, at most four") << "medCdFiliAgre"
                                                       << "abcdef"
                                                       << "ABCD";
        QTest::newRow("filial agregada, symbols refused") << "medCdFiliAgre"
                                                          << "a-b.1"
                                                          << "AB1";
        QTest::newRow("filial agregada, short code") << "medCdFiliAgre"
                                                     << "12"
                                                     << "12";
        QTest::newRow("tipo de cardápio, ten digits") << "medCdTipoCard"
                                                      << "123456789012"
                                                      << "1234567890";
        QTest::newRow("tipo de cardápio, letters refused") << "medCdTipoCard"
                                                           << "1a2b3"
                                                           << "123";
        QTest::newRow("tipo de cardápio, no blanks kept") << "medCdTipoCard"
                                                          << "7"
                                                          << "7";
    }
    void branchCodesTakeFourLettersOrDigitsInUpperCase()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        auto* edit = control<TMaskEdit>(name.toLatin1().constData());
        edit->setEnabled(true);
        edit->setFocus();
        edit->clear();
        edit->home(false);
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->Text(), text);
        QCOMPARE(edit->property("Text").toString(), text);
    }

    void branchCodeSetByCodeReadsTheSame()
    {
        auto* edit = control<TMaskEdit>("medCdFilial");
        edit->setText("0010");
        QCOMPARE(edit->Text(), QString("0010"));
        edit->setText("");
        QCOMPARE(edit->Text(), QString());
    }

    // The wording the screen added later (the nutrient list's note, the list labels, the wait
    // panel, the prepared-data check) is in the catalogue too, under keys of its own.
    void catalogueWordsTheScreensLaterTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("text");
        QTest::newRow("nutrient list note")
            << "Nutr_Blocos" << QStringList()
            << "O relatório imprime todos os nutrientes escolhidos, em blocos de 8 colunas.";
        QTest::newRow("one item") << "Lista_Um" << QStringList() << "1 item";
        QTest::newRow("17 items") << "Lista_Varios" << QStringList{"17"} << "17 itens";
        QTest::newRow("chosen codes")
            << "Lista_Escolha" << QStringList{"00001, 00009"} << "Escolhidos: 00001, 00009";
        QTest::newRow("wait: preparing") << "Prepara_Rel" << QStringList() << "Preparando o relatório";
        QTest::newRow("wait: periods")
            << "Busca_Period_Acao" << QStringList() << "buscar os períodos do cardápio";
        QTest::newRow("prepared data missing") << "Dados_Prep_NEnc" << QStringList{"0000000016"}
                                               << "Os dados do relatório preparados pelo servidor (chave "
                                                  "0000000016) não foram encontrados no banco "
                                                  "de dados. O relatório não foi emitido; tente novamente.";
    }
    void catalogueWordsTheScreensLaterTexts()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, values);
        QFETCH(QString, text);
        QCOMPARE(TMessages::Format(form->msgPadrao->Msg(key), values), text);
    }

    void catalogueHoldsTheScreensEntriesInStoredOrder()
    {
        const TMessages* catalogue = form->msgPadrao;
        // The screen's documented entries first, then the texts of the screen's later additions.
        QCOMPARE(catalogue->messages().size(), kDocumentedEntries + kAddedEntries);
        QVERIFY(catalogue->messages().first().startsWith("Arq_Rel_Err|"));
        QVERIFY(catalogue->messages().at(kDocumentedEntries - 1).startsWith("pratncad|"));
        QCOMPARE(catalogue->Msg("N_Filial_Centr"),
                 QString("Filial não está ligada a uma central de alimentação escolar. O cadastro deve ser "
                         "realizado na matriz."));
        QCOMPARE(catalogue->Msg("FILI_RESC"), QString("Filial com contrato rescindido"));
        QCOMPARE(catalogue->Msg("pratvazio"), QString("Prato deve ser Informado."));
        QCOMPARE(catalogue->Msg("Serv_cad"), QString("Não há serviço cadastrado para a filial informada."));
        // Keys are exact: case matters.
        QCOMPARE(catalogue->Msg("serv_cad"), QString("serv_cad"));
        QCOMPARE(
            TMessages::Format(catalogue->Msg("Arq_Rel_Err"), {"Zve41304", "/srv/rel"}),
            QString("O arquivo contendo a definição do relatório de código 'Zve41304' não foi encontrado "
                    "no diretório '/srv/rel'."));
        // Every key once, none with an empty text.
        QSet<QString> keys;
        for (const QString& entry : catalogue->messages()) {
            const QString key = entry.section('|', 0, 0);
            QVERIFY2(!keys.contains(key), qPrintable(key));
            keys.insert(key);
            QVERIFY2(!catalogue->Msg(key).isEmpty(), qPrintable(key));
        }
    }

    void layoutTestComparesTheWholeCode_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("is04");
        QTest::addColumn<bool>("is05");
        QTest::addColumn<bool>("is07");
        QTest::newRow("04") << 0 << true << false << false;
        QTest::newRow("4 without the zero") << 1 << false << false << false;
        QTest::newRow("04 with a blank") << 2 << false << false << false;
        QTest::newRow("05") << 3 << false << true << false;
        QTest::newRow("07") << 4 << false << false << true;
        QTest::newRow("01") << 5 << false << false << false;
    }
    void layoutTestComparesTheWholeCode()
    {
        QFETCH(int, chosen);
        QFETCH(bool, is04);
        QFETCH(bool, is05);
        QFETCH(bool, is07);
        form->setReportList({{"04", "Semanal", ""},
                             {"4", "Sem zero", ""},
                             {"04 ", "Com branco", ""},
                             {"05", "Semanal percentual", ""},
                             {"07", "Diário", ""},
                             {"01", "Por dia", ""}});
        form->cbbReportNames->setCurrentIndex(chosen);
        QCOMPARE(form->reportCode(), QString("Zve413"));
        QCOMPARE(form->isChosenLayout("04"), is04);
        QCOMPARE(form->isChosenLayout("05"), is05);
        QCOMPARE(form->isChosenLayout("07"), is07);
        QCOMPARE(form->chosenLayoutFileName(), "Zve413" + form->layoutCodes().at(chosen) + ".QR2");
    }

    void changingLayoutKeepsPrintOptionsAsTheUserLeftThem()
    {
        form->setReportList({{"01", "Por dia", ""}, {"04", "Semanal", ""}});
        auto* opcao = control<QCheckBox>("chbOpcao");
        auto* ndpcal = control<QCheckBox>("chbNDPCal");
        opcao->setEnabled(false);
        ndpcal->setEnabled(false);
        opcao->setChecked(false);
        ndpcal->setChecked(true);
        auto* combo = control<TComboBox>("cbbReportNames");
        combo->selectAsUser(1);
        QVERIFY(form->isChosenLayout("04"));
        QVERIFY(opcao->isEnabled());
        QVERIFY(ndpcal->isEnabled());
        combo->selectAsUser(0);
        combo->selectAsUser(1);
        QVERIFY(opcao->isEnabled() && ndpcal->isEnabled());
        QVERIFY(!opcao->isChecked());
        QVERIFY(ndpcal->isChecked());
    }

    void firstActivationEnablesBothPrintOptions()
    {
        // A second form, created with its print options disabled before its first activation.
        form->Close();
        QTRY_VERIFY(!frmNutriCard);
        TfrmNutriCard* second = nullptr;
        Frm::createForm(second, context->context(), Cli_Zve41300::unit);
        frmNutriCard = second;
        QVERIFY(second->chbOpcao->isEnabled());
        second->hide();
        second->chbOpcao->setEnabled(false);
        second->chbNDPCal->setEnabled(false);
        second->Show();
        QVERIFY(QTest::qWaitForWindowActive(second));
        QTRY_VERIFY(second->chbOpcao->isEnabled());
        QVERIFY(second->chbNDPCal->isEnabled());
        QVERIFY(second->chbOpcao->isChecked());
        QVERIFY(!second->chbNDPCal->isChecked());
        // Later activations leave them alone.
        second->chbNDPCal->setEnabled(false);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        second->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(second));
        QVERIFY(!second->chbNDPCal->isEnabled());
        form = second;
    }

    void shortcutsPressTheCommandButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QString>("reaching"); // what the focused box holds afterwards
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Ctrl+I prints") << int(Qt::Key_I) << ctrl << "" << QStringList{"sbtPrint"} << "";
        QTest::newRow("Ctrl+P previews") << int(Qt::Key_P) << ctrl << "" << QStringList{"sbtPreview"} << "";
        QTest::newRow("Ctrl+S saves") << int(Qt::Key_S) << ctrl << "" << QStringList{"sbtSalvarComo"} << "";
        QTest::newRow("Ctrl+E edits") << int(Qt::Key_E) << ctrl << "" << QStringList{"sbtReportEdit"} << "";
        QTest::newRow("Ctrl+F page setup")
            << int(Qt::Key_F) << ctrl << "" << QStringList{"sbtPageSetup"} << "";
        QTest::newRow("Ctrl+Shift+I prints")
            << int(Qt::Key_I) << int(ctrl | Qt::ShiftModifier) << "" << QStringList{"sbtPrint"} << "";
        QTest::newRow("Ctrl+P disabled is swallowed")
            << int(Qt::Key_P) << ctrl << "sbtPreview" << QStringList{} << "";
        QTest::newRow("Ctrl+A is the box's") << int(Qt::Key_A) << ctrl << "" << QStringList{} << "selected";
        QTest::newRow("P alone is typed") << int(Qt::Key_P) << 0 << "" << QStringList{} << "typed";
        QTest::newRow("Escape exits even disabled")
            << int(Qt::Key_Escape) << 0 << "sbtSair" << QStringList{"sbtSair"} << "";
    }
    void shortcutsPressTheCommandButtons()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, disabled);
        QFETCH(QStringList, pressed);
        QFETCH(QString, reaching);
        Presses presses;
        for (const char* name :
             {"sbtPrint", "sbtPreview", "sbtSalvarComo", "sbtReportEdit", "sbtPageSetup", "sbtSair"})
            Kav::bindEvent(control(name), "OnClick", &presses, "press");
        if (!disabled.isEmpty())
            control(disabled.toLatin1().constData())->setEnabled(false);
        // A box that takes letters, holding some text.
        auto* edit = control<QLineEdit>("edtNmFiliAgre");
        edit->setEnabled(true);
        edit->setText("AB");
        edit->setFocus();
        edit->deselect();
        edit->end(false);
        QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(presses.pressed, pressed);
        if (reaching == "selected")
            QCOMPARE(edit->selectedText(), QString("AB"));
        else if (reaching == "typed")
            QCOMPARE(edit->text(), QString("ABp"));
        else
            QCOMPARE(edit->text(), QString("AB"));
    }
};

QTEST_MAIN(TstNutriCardForm)
#include "tst_nutricardform.moc"
