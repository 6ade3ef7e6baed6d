// The screen's criteria against the demo database and a real kavserver: start-up for each kind
// of logged-in branch, the menu type, the period, the three lists and the aggregated branch,
// with the messages, the focus, the module-level lists and the server calls they give.
#include "Cli_Zve41300.h"
#include "dtmDBGeral.h"
#include "Kavenso.h"
#include "ScreenDriver.h"
#include "ScreenEnvironment.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TCheckBox.h"
#include "TClientDataSet.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TestClientContext.h"
#include "TField.h"
#include "TfrmNutriCard.h"
#include "TNetConnection.h"
#include "TRadioButton.h"
#include "TSpeedButton.h"

#include <optional>
#include <QLabel>
#include <QSqlQuery>
#include <QtTest>

using namespace Cli_Zve41300;

namespace {
const QString kCentral = QStringLiteral("0010");
const QString kCentralName = QStringLiteral("Cozinha Central Norte");
const QString kCreche = QStringLiteral("0000000001");
const QString kInactiveType = QStringLiteral("0000000004");

// Cases the demo data lacks.
const QStringList kExtraRows = {
    // Flags in lower case are not "S": a member of 0010, and a branch linked to no central.
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDFILCENTZVE, CDFILCENTZVE, IDMODZVE) "
    "VALUES ('0060', 'Escola Minúscula', 's', '0010', 'S')",
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDFILCENTZVE, CDFILCENTZVE, IDMODZVE) "
    "VALUES ('0061', 'Cozinha Minúscula', 's', NULL, 'S')",
    // A central kitchen that names a central of its own, and no menu-type link under 0010.
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDFILCENTZVE, CDFILCENTZVE, IDMODZVE) "
    "VALUES ('0070', 'Cozinha Central Agregada', 'S', '0020', 'S')",
    // A menu type of 0020 only, and flags of 0010's types other than "S" and "N".
    "INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, IDTPCARDATIV) VALUES ('0020', '0000000009', "
    "'Somente Sul', 'S')",
    "INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, IDTPCARDATIV) VALUES ('0010', '0000000007', "
    "'Marca minúscula', 'n')",
    "INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, IDTPCARDATIV) VALUES ('0010', '0000000008', "
    "'Sem marca', '')",
    // A menu type with a menu and no services.
    "INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, IDTPCARDATIV) VALUES ('0010', '0000000006', "
    "'Sem serviços', 'S')",
    "INSERT INTO CARDZVE (CDFILCENTZVE, CDTIPOCARD, NRCARDZVE, DTINICARDZVE, DTFINCARDZVE, DSCARDZVE) VALUES "
    "('0010', '0000000006', '0000000001', '2025-03-01', '2025-03-31', 'Março sem serviços')",
};

// A period row of the demo database: first day, last day and description.
struct Period
{
    QDate first;
    QDate last;
    QString description;
};

Period demoPeriod(const QString& menuType, const QString& number)
{
    QSqlQuery query(dtmDBGeral::database());
    query.prepare("SELECT DTINICARDZVE, DTFINCARDZVE, DSCARDZVE FROM CARDZVE WHERE CDFILCENTZVE = ? "
                  "AND CDTIPOCARD = ? AND NRCARDZVE = ?");
    query.addBindValue(kCentral);
    query.addBindValue(menuType);
    query.addBindValue(number);
    if (!query.exec() || !query.next())
        return {};
    return {query.value(0).toDate(), query.value(1).toDate(), query.value(2).toString()};
}

QStringList demoCodes(const QString& statement)
{
    QSqlQuery query(dtmDBGeral::database());
    query.exec(statement);
    QStringList codes;
    while (query.next())
        codes << query.value(0).toString();
    return codes;
}
} // namespace

class TstNutriCardCriteria : public QObject
{
    Q_OBJECT

    ScreenEnvironment env;
    QString notReady;
    ScreenDriver screen;
    TfrmNutriCard* form = nullptr;
    // Each test's own: its session, answers and messages; ended after its form.
    std::optional<TestClientContext> context;

    RecordingProxy& server() { return env.proxy(); }

    void openAs(const QString& filial)
    {
        env.logIn(filial);
        form = screen.open();
    }

    // What most tests start from; the start-up tests open the screen themselves.
    bool openAsCentral()
    {
        openAs(kCentral);
        if (!form)
            return false;
        ScreenDriver::clearMessages();
        return true;
    }

    // The menu type and a period chosen through their lookups.
private slots:
    void initTestCase() { notReady = env.start(true, kExtraRows); }

    void init()
    {
        context.emplace();
        KAV_REQUIRE_SCREEN_ENVIRONMENT(notReady);
        env.openSharedConnection();
        server().clearCalls();
    }

    void cleanup()
    {
        ScreenDriver::close();
        QVERIFY(!frmNutriCard);
        form = nullptr;
        QVERIFY2(ScreenDriver::dialogs().pendingAnswers().isEmpty(),
                 qPrintable(ScreenDriver::dialogs().pendingAnswers().join(", ")));
        context.reset();
    }

    // ---- start-up

    void startUpFindsTheCentralOrRefuses_data()
    {
        QTest::addColumn<QString>("filial");
        QTest::addColumn<QString>("central"); // empty: refused
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString notLinked =
            "Filial não está ligada a uma central de alimentação escolar. O cadastro deve "
            "ser realizado na matriz.";
        QTest::newRow("the central itself") << "0010"
                                            << "0010" << kCentralName << "";
        QTest::newRow("a school shows its central") << "0011"
                                                    << "0010" << kCentralName << "";
        QTest::newRow("school of the other central") << "0021"
                                                     << "0020"
                                                     << "Cozinha Central Sul"
                                                     << "";
        QTest::newRow("flag s is no central") << "0060"
                                              << "0010" << kCentralName << "";
        QTest::newRow("flag s without central") << "0061"
                                                << ""
                                                << "" << notLinked;
        QTest::newRow("linked to no central") << "0030"
                                              << ""
                                              << "" << notLinked;
        QTest::newRow("head office") << "0001"
                                     << ""
                                     << "" << notLinked;
        QTest::newRow("branch not registered") << "0099"
                                               << ""
                                               << "" << notLinked;
        // The support library's refusal is shown without its five-character code.
        QTest::newRow("central without licence")
            << "0040"
            << ""
            << ""
            << "Filial 0040 não licenciada para o módulo de alimentação escolar.";
        QTest::newRow("school of a central without licence")
            << "0041"
            << ""
            << ""
            << "Filial 0040 não licenciada para o módulo de alimentação escolar.";
        QTest::newRow("rescinded central") << "0050"
                                           << ""
                                           << ""
                                           << "Filial 0050 com contrato rescindido.";
    }
    void startUpFindsTheCentralOrRefuses()
    {
        QFETCH(QString, filial);
        QFETCH(QString, central);
        QFETCH(QString, name);
        QFETCH(QString, message);
        openAs(filial);
        if (central.isEmpty()) {
            QVERIFY(!form);
            QVERIFY(!frmNutriCard);
            QVERIFY(!boIdCriado);
            QCOMPARE(ScreenDriver::messages(), QStringList{message});
            return;
        }
        QVERIFY(form);
        QCOMPARE(form->medCdFilial->Text(), central);
        QCOMPARE(form->edtNmFilial->text(), name);
        QVERIFY(ScreenDriver::messages().isEmpty());
    }

    void startUpConnectsAndResetsOnlyOnTheFirstActivation()
    {
        ListaServPesq = "00003";
        ListaNutr = "001";
        ListaTPrato = "01";
        ListaServ = "00001";
        NrSequNutr = "0000000042";
        openAs(kCentral);
        QVERIFY(form);
        QCOMPARE(ScreenDriver::focused(), form->medCdTipoCard);
        QVERIFY(ListaServPesq.isEmpty() && ListaNutr.isEmpty() && ListaTPrato.isEmpty() &&
                ListaServ.isEmpty());
        // The key of the last preparation is not the activation's to clear.
        QCOMPARE(NrSequNutr, QString("0000000042"));
        QVERIFY(form->netNutriCard->Connected());
        QCOMPARE(form->netNutriCard->Port(), int(server().port()));
        QVERIFY(form->qryParamGeral->Active());
        QVERIFY(!form->qryPrato->FieldByName("CDPRATO")->EditMask().isEmpty());

        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        ListaServPesq = "00003";
        screen.focus(form->chbOpcao);
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form->Show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(ListaServPesq, QString("00003"));
        QVERIFY(!form->depIniPeriodo->text().isEmpty());
        QCOMPARE(ScreenDriver::focused(), form->chbOpcao);
    }

    // ---- menu type

    void emptyCodeOnLeaveShowsNothingAndRunsNoQuery()
    {
        QVERIFY(openAsCentral());
        screen.focus(form->medCdTipoCard);
        screen.focus(form->chbOpcao);
        QVERIFY(ScreenDriver::messages().isEmpty());
        QVERIFY(!form->qryTipoCard->Active());
        QCOMPARE(ScreenDriver::focused(), form->chbOpcao);
    }

    void leavingTheCodeChecksIt_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("registered, zeros added") << "2"
                                                 << "0000000002"
                                                 << "Pré-escola (4 e 5 anos)"
                                                 << "";
        QTest::newRow("registered as stored") << "0000000003"
                                              << "0000000003"
                                              << "Ensino fundamental"
                                              << "";
        QTest::newRow("inactive shows its name") << "4" << kInactiveType << "Cardápio de férias"
                                                 << "Tipo de cardápio inativo.";
        QTest::newRow("not registered") << "99"
                                        << "0000000099"
                                        << ""
                                        << "Tipo de cardápio não cadastrado.";
        QTest::newRow("another central's type") << "9"
                                                << "0000000009"
                                                << ""
                                                << "Tipo de cardápio não cadastrado.";
        QTest::newRow("flag n is active") << "7"
                                          << "0000000007"
                                          << "Marca minúscula"
                                          << "";
        QTest::newRow("empty flag is active") << "8"
                                              << "0000000008"
                                              << "Sem marca"
                                              << "";
    }
    void leavingTheCodeChecksIt()
    {
        QVERIFY(openAsCentral());
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, message);
        ScreenDriver::type(form->medCdTipoCard, typed);
        screen.focus(form->chbOpcao);
        QCOMPARE(form->medCdTipoCard->Text(), code);
        QCOMPARE(form->edtNmTipoCard->text(), name);
        QCOMPARE(ScreenDriver::messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(ScreenDriver::focused(), message.isEmpty() ? static_cast<QWidget*>(form->chbOpcao)
                                                            : static_cast<QWidget*>(form->medCdTipoCard));
    }

    void lookupListsInactiveTypesWhichTheChecksRefuse()
    {
        QVERIFY(openAsCentral());
        screen.answerLookup("CDTIPOCARD=" + kInactiveType);
        screen.click(form->btpTipoCard);
        QCOMPARE(form->medCdTipoCard->Text(), kInactiveType);
        QCOMPARE(form->edtNmTipoCard->text(), QString("Cardápio de férias"));
        QVERIFY(ScreenDriver::messages().isEmpty());
        // The period lookup refuses it before calling the server.
        screen.click(form->btpPeriodo);
        QCOMPARE(ScreenDriver::messages(), QStringList{"Tipo de cardápio inativo."});
        QVERIFY(server().callsOf("GetPesqPeriodoCard").isEmpty());
        QCOMPARE(ScreenDriver::focused(), form->medCdTipoCard);
        // And so does an output command.
        ScreenDriver::clearMessages();
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{"Tipo de cardápio inativo."});
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
    }

    void changingTheCodeClearsThePeriodButNotItsRows()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        QVERIFY(!form->depIniPeriodo->text().isEmpty());
        QVERIFY(!form->edtDsCardZVE->text().isEmpty());
        const int rows = form->cdsPeriodo->RecordCount();
        ScreenDriver::type(form->medCdTipoCard, "2");
        QVERIFY(form->edtNmTipoCard->text().isEmpty());
        QVERIFY(form->depIniPeriodo->text().isEmpty());
        QVERIFY(form->depFinPeriodo->text().isEmpty());
        QVERIFY(form->edtDsCardZVE->text().isEmpty());
        QCOMPARE(form->cdsPeriodo->RecordCount(), rows);
        QCOMPARE(form->cdsPeriodo->FieldByName("NRCARDZVE")->AsString(), QString("0000000003"));
    }

    void pickedPeriodFillsDatesAndDescription()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        const Period expected = demoPeriod(kCreche, "0000000003");
        QVERIFY(expected.first.isValid());
        QCOMPARE(form->depIniPeriodo->GetDate().date(), expected.first);
        QCOMPARE(form->depFinPeriodo->GetDate().date(), expected.last);
        QCOMPARE(form->edtDsCardZVE->text(), expected.description);
        QCOMPARE(form->cdsPeriodo->FieldByName("NRCARDZVE")->AsString(), QString("0000000003"));
        const auto calls = server().callsOf("GetPesqPeriodoCard");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].params, QJsonArray({kCentral, kCreche}));
    }

    void periodLookupWithEmptyTypeAsksTheServerWithNoType()
    {
        QVERIFY(openAsCentral());
        screen.click(form->btpPeriodo);
        QCOMPARE(ScreenDriver::messages(), QStringList{"Não há período cadastrado."});
        const auto calls = server().callsOf("GetPesqPeriodoCard");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].params, QJsonArray({kCentral, ""}));
        QVERIFY(form->cdsPeriodo->IsEmpty());
    }

    void reopenedPeriodLookupWithoutPickKeepsTheDates()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        const QString first = form->depIniPeriodo->text();
        screen.answerLookup("cancel");
        screen.click(form->btpPeriodo);
        QCOMPARE(form->depIniPeriodo->text(), first);
        QCOMPARE(server().callsOf("GetPesqPeriodoCard").size(), 2);
    }

    void pickedListsJoinCodesWithSeparatorsOnlyBetween_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("list");
        QTest::newRow("one service") << "serv"
                                     << "00003"
                                     << "00003";
        QTest::newRow("three services") << "serv"
                                        << "00001 00003 00004"
                                        << "00001_00003_00004";
        QTest::newRow("nutrients") << "nutr"
                                   << "001 002"
                                   << "001_002";
        QTest::newRow("dish types") << "tprato"
                                    << "01 03 05"
                                    << "01_03_05";
        QTest::newRow("one dish type") << "tprato"
                                       << "04"
                                       << "04";
    }
    // Beside "Lista" the form says what was chosen: the count, the codes in its tooltip; with
    // "Todos" (or nothing chosen) nothing is said.
    void listChoiceIsShownBesideLista()
    {
        QVERIFY(openAsCentral());
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        auto* choice = form->findChild<QLabel*>(QStringLiteral("sbtServicoEscolha"));
        QVERIFY(choice);
        QVERIFY(!choice->isVisible());
        screen.answerList("00001 00003");
        screen.click(form->rbtListaServ);
        screen.click(form->sbtServico);
        QVERIFY(choice->isVisible());
        QCOMPARE(choice->text(), QStringLiteral("2 itens"));
        QCOMPARE(choice->toolTip(), QStringLiteral("Escolhidos: 00001, 00003"));
        screen.click(form->rbtTodosServ);
        QVERIFY(!choice->isVisible());
        screen.click(form->rbtListaServ);
        QVERIFY(choice->isVisible()); // the picks are kept while the screen is open
    }

    void pickedListsJoinCodesWithSeparatorsOnlyBetween()
    {
        QVERIFY(openAsCentral());
        QFETCH(QString, group);
        QFETCH(QString, answer);
        QFETCH(QString, list);
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        screen.answerList(answer);
        if (group == "serv") {
            screen.click(form->rbtListaServ);
            screen.click(form->sbtServico);
            QCOMPARE(ListaServPesq, list);
        } else if (group == "nutr") {
            screen.click(form->rbtListaNutr);
            screen.click(form->sbtNutriente);
            QCOMPARE(ListaNutr, list);
        } else {
            screen.click(form->rbtListaTPrato);
            screen.click(form->btpTipoPrat);
            QCOMPARE(ListaTPrato, list);
        }
        QVERIFY(ScreenDriver::messages().isEmpty());
    }

    void radiosEnableTheirLookupAndOnlyNutrientsForgetThePicks()
    {
        QVERIFY(openAsCentral());
        ListaServPesq = "00003";
        ListaTPrato = "01";
        ListaNutr = "001";
        screen.click(form->rbtListaServ);
        screen.click(form->rbtListaTPrato);
        screen.click(form->rbtListaNutr);
        QVERIFY(form->sbtServico->isEnabled() && form->btpTipoPrat->isEnabled() &&
                form->sbtNutriente->isEnabled());
        QVERIFY(ListaNutr.isEmpty());
        ListaNutr = "002";
        screen.click(form->rbtTodosServ);
        screen.click(form->rbtTodoTPrato);
        screen.click(form->rbtTodosNutr);
        QVERIFY(!form->sbtServico->isEnabled() && !form->btpTipoPrat->isEnabled() &&
                !form->sbtNutriente->isEnabled());
        QCOMPARE(ListaServPesq, QString("00003"));
        QCOMPARE(ListaTPrato, QString("01"));
        QVERIFY(ListaNutr.isEmpty());
    }

    void listWithNothingPickedStopsTheCommand_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("services") << "serv"
                                  << "Serviço deve ser informado."
                                  << "rbtListaServ";
        QTest::newRow("nutrients") << "nutr"
                                   << "Nutriente deve ser informado."
                                   << "rbtListaNutr";
        QTest::newRow("dish types") << "tprato"
                                    << "Tipo de prato deve ser informado."
                                    << "rbtListaTPrato";
        // Order A checks the services before the nutrients, and those before the dish types.
        QTest::newRow("services and nutrients") << "serv+nutr"
                                                << "Serviço deve ser informado."
                                                << "rbtListaServ";
        QTest::newRow("nutrients and dish types") << "tprato+nutr"
                                                  << "Nutriente deve ser informado."
                                                  << "rbtListaNutr";
    }
    void listWithNothingPickedStopsTheCommand()
    {
        QVERIFY(openAsCentral());
        QFETCH(QString, group);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        for (const QString& each : group.split('+'))
            screen.click(each == "serv"   ? form->rbtListaServ
                         : each == "nutr" ? form->rbtListaNutr
                                          : form->rbtListaTPrato);
        screen.focus(form->chbOpcao);
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{message});
        QCOMPARE(ScreenDriver::focused()->objectName(), focus);
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
    }

    // "Todos" finds no service: the menu type has none, which the user can only fix in its
    // register; nothing is asked of the server.
    void allServicesOfAMenuTypeWithoutServicesSaySo()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, "0000000006", "0000000001");
        QVERIFY(form->rbtTodosServ->isChecked());
        server().clearCalls();
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(),
                 QStringList{"O tipo de cardápio informado não tem serviço cadastrado."});
        QCOMPARE(ScreenDriver::focused()->objectName(), QString("medCdTipoCard"));
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
    }

    void nutrientsListedAfterAllNeedANewPick()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        screen.answerFile(env.folder() + "/todos.pdf");
        form->sbtPrint->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(ScreenDriver::messages().join(" / ")));
        QCOMPARE(ListaNutr.split('_'), demoCodes("SELECT CDNUTRIENTE FROM NUTRIENTE ORDER BY CDNUTRIENTE"));
        screen.click(form->rbtListaNutr);
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{"Nutriente deve ser informado."});
    }

    void servicePicksSurviveRadioChangesAndCommands()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        screen.click(form->rbtListaServ);
        screen.answerList("00003");
        screen.click(form->sbtServico);
        screen.click(form->rbtTodosServ);
        screen.click(form->rbtListaServ);
        server().clearCalls();
        screen.answerFile(env.folder() + "/lista.pdf");
        form->sbtPrint->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(ScreenDriver::messages().join(" / ")));
        // No services asked for with "Lista": the picks are the report's.
        QCOMPARE(server().methods(), QStringList({"CriaNutriCard", "DelNutriCard"}));
        QCOMPARE(server().callsOf("CriaNutriCard")[0].params[3].toObject().value("ref").toString(),
                 QString("00003"));
    }

    void allServicesAreAskedOncePerCommandInTheServersOrder()
    {
        QVERIFY(openAsCentral());
        screen.chooseTypeAndPeriod(form, kCreche, "0000000003");
        for (int command = 1; command <= 2; ++command) {
            server().clearCalls();
            screen.answerFile(env.folder() + QString("/todos%1.pdf").arg(command));
            form->sbtPrint->Click();
            QCOMPARE(server().methods(), QStringList({"GetServico", "CriaNutriCard", "DelNutriCard"}));
        }
        QCOMPARE(server().callsOf("GetServico")[0].params, QJsonArray({kCentral, kCreche}));
        QCOMPARE(ListaServ, QString("00001_00003_00004_00005"));
    }

    void f9OnAListRadioOpensItsDialog_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("list"); // what the dialog wrote; empty when none opened
        QTest::newRow("F9 on services") << "rbtListaServ" << 0 << "00004";
        QTest::newRow("Ctrl+F9 on services") << "rbtListaServ" << int(Qt::ControlModifier) << "00004";
        QTest::newRow("F9 on nutrients") << "rbtListaNutr" << 0 << "001";
        QTest::newRow("Shift+F9 on nutrients") << "rbtListaNutr" << int(Qt::ShiftModifier) << "001";
        QTest::newRow("F9 on all services") << "rbtTodosServ" << 0 << "";
    }
    void f9OnAListRadioOpensItsDialog()
    {
        QVERIFY(openAsCentral());
        QFETCH(QString, radio);
        QFETCH(int, modifiers);
        QFETCH(QString, list);
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        auto* button = form->findChild<TRadioButton*>(radio);
        screen.click(button);
        QCOMPARE(ScreenDriver::focused(), button);
        if (!list.isEmpty())
            screen.answerList(list.section('_', 0, 0));
        QTest::keyClick(button, Qt::Key_F9, Qt::KeyboardModifiers(modifiers));
        const QString& picked = radio == "rbtListaNutr" ? ListaNutr : ListaServPesq;
        QCOMPARE(picked, list);
        QCOMPARE(server().callsOf("GetServico").size(), radio == "rbtListaServ" ? 1 : 0);
    }

    void failedServiceLookupOpensNoDialog()
    {
        QVERIFY(openAsCentral());
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        ListaServPesq = "00003";
        screen.click(form->rbtListaServ);
        // A server that is not there: the call fails, no dialog opens, the picks stay.
        Kavenso::Session session = Kavenso::CurrentSession();
        const int port = session.webPort;
        session.webPort = 1;
        Kavenso::SetSession(session);
        form->netNutriCard->setConnected(false);
        screen.click(form->sbtServico);
        session.webPort = port;
        Kavenso::SetSession(session);
        QCOMPARE(ScreenDriver::messages().size(), 1);
        QCOMPARE(ListaServPesq, QString("00003"));
        // The connection takes the configured address again when it reconnects.
        form->netNutriCard->setConnected(false);
        screen.answerList("00001");
        screen.click(form->sbtServico);
        QCOMPARE(ScreenDriver::messages().size(), 1);
        QCOMPARE(ListaServPesq, QString("00001"));
    }

    void dishLookupHandlersOpenTheDishesOfTheLastLevel()
    {
        QVERIFY(openAsCentral());
        bool proceed = true;
        form->btpPrat1BeforePesq(form, proceed);
        QVERIFY(proceed);
        QVERIFY(form->qryPrato->Active());
        const QStringList expected =
            demoCodes("SELECT CDPRATO || CDFILAUXPRAT FROM PRATO WHERE CDNVPRATO = 3 AND "
                      "CDFILAUXPRAT IN ('P', '0010') ORDER BY CDPRATO, CDFILAUXPRAT");
        QVERIFY(!expected.isEmpty());
        QStringList listed;
        for (form->qryPrato->First(); !form->qryPrato->Eof(); form->qryPrato->Next())
            listed << form->qryPrato->FieldByName("CDCHAVE")->AsString();
        QCOMPARE(listed, expected);
        form->qryPrato->Close();
        form->btpPrat2BeforePesq(form, proceed);
        QCOMPARE(form->qryPrato->RecordCount(), expected.size());
    }

    // ---- aggregated branch

    void aggregatedBranchLookupListsTheActiveLinks()
    {
        QVERIFY(openAsCentral());
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        screen.click(form->chbEspecifico);
        screen.answerLookup("CDFILIAL=0012");
        screen.click(form->btpFiliAgre);
        QCOMPARE(form->medCdFiliAgre->Text(), QString("0012"));
        QCOMPARE(form->edtNmFiliAgre->text(), QString("EMEI Vila Esperança"));
        QStringList listed;
        for (form->qryFilAgre->First(); !form->qryFilAgre->Eof(); form->qryFilAgre->Next())
            listed << form->qryFilAgre->FieldByName("CDFILIAL")->AsString();
        // 0013's link to the crèche menu is not active.
        QCOMPARE(listed, QStringList({"0011", "0012", "0014"}));
    }

    void aggregatedBranchCheckFailsInOrder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("onLeave"); // leaving the group, else an output command
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty on leave") << "" << true << ""
                                        << "";
        QTest::newRow("empty in a command") << "" << false << "Filial Agregada deve ser informada."
                                            << "";
        QTest::newRow("not registered") << "9999" << true << "Filial não cadastrada."
                                        << "";
        QTest::newRow("no central") << "0030" << true
                                    << "Filial não está ligada a uma central de alimentação escolar."
                                    << "";
        QTest::newRow("other central's school")
            << "0021" << true << "Filial não agregada à central informada."
            << "";
        QTest::newRow("central without own central")
            << "0020" << true << "Filial não agregada à central informada."
            << "";
        QTest::newRow("central naming another central")
            << "0070" << true << "Filial não utiliza o tipo de cardápio informado."
            << "";
        QTest::newRow("inactive link") << "0013" << true << "Filial não utiliza o tipo de cardápio informado."
                                       << "";
        QTest::newRow("valid, zeros added") << "11" << true << ""
                                            << "EMEF Jardim das Flores";
    }
    void aggregatedBranchCheckFailsInOrder()
    {
        QVERIFY(openAsCentral());
        QFETCH(QString, typed);
        QFETCH(bool, onLeave);
        QFETCH(QString, message);
        QFETCH(QString, name);
        screen.answerLookup("CDTIPOCARD=" + kCreche);
        screen.click(form->btpTipoCard);
        screen.click(form->chbEspecifico);
        form->edtNmFiliAgre->setText("nome anterior");
        ScreenDriver::type(form->medCdFiliAgre, typed);
        if (onLeave)
            screen.focus(form->chbOpcao);
        else
            form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(ScreenDriver::focused(), form->medCdFiliAgre);
            QCOMPARE(form->edtNmFiliAgre->text(), QString("nome anterior"));
        } else if (!name.isEmpty()) {
            QCOMPARE(form->medCdFiliAgre->Text(), QString("0011"));
            QCOMPARE(form->edtNmFiliAgre->text(), name);
        }
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
    }

    void validBranchWithEmptyTypeFailsOnTheTypeLinkFirst()
    {
        QVERIFY(openAsCentral());
        screen.click(form->chbEspecifico);
        ScreenDriver::type(form->medCdFiliAgre, "0011");
        screen.focus(form->chbOpcao);
        QCOMPARE(ScreenDriver::messages(), QStringList{"Filial não utiliza o tipo de cardápio informado."});
        ScreenDriver::clearMessages();
        form->sbtPreview->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{"Filial não utiliza o tipo de cardápio informado."});
        QCOMPARE(ScreenDriver::focused(), form->medCdFiliAgre);
    }
};

QTEST_MAIN(TstNutriCardCriteria)
#include "tst_nutricardcriteria.moc"
