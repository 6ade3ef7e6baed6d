// Report production on the screen, against the demo database and a real kavserver: the check
// orders of the output commands, the busy animation, the preparation's arguments and answers,
// the deletion of the prepared data, the report's query parameters and the shortcuts.
#include "CallWait.h"
#include "Cli_Zve41300.h"
#include "dtmDBGeral.h"
#include "HostWindow.h"
#include "ScreenDriver.h"
#include "ScreenEnvironment.h"
#include "Showavi.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TCheckBox.h"
#include "TClientDataSet.h"
#include "TComboBox.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"
#include "TMenuItem.h"
#include "TParams.h"
#include "TRadioButton.h"
#include "TReportDesignerDialog.h"
#include "TSpeedButton.h"

#include <optional>
#include <QSqlError>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>

using namespace Cli_Zve41300;

namespace {
const QString kCentral = QStringLiteral("0010");
const QString kCreche = QStringLiteral("0000000001");
const QString kMarch = QStringLiteral("0000000003");

int preparedRows(const QString& key)
{
    QSqlQuery query(dtmDBGeral::database());
    query.prepare("SELECT COUNT(*) FROM NUTRICARD WHERE NRSEQUNUTR = ?");
    query.addBindValue(key);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

void copyPreparedHeader(const QString& key, const QString& copy)
{
    QSqlQuery query(dtmDBGeral::database());
    query.prepare("INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD, "
                  "DTINICIAL, DTFINAL, IDTIPOREL) SELECT ?, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD, "
                  "DTINICIAL, DTFINAL, IDTIPOREL FROM NUTRICARDCAB WHERE NRSEQUNUTR = ?");
    query.addBindValue(copy);
    query.addBindValue(key);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

QJsonValue argument(const RecordingProxy::Call& call, int number)
{
    const QJsonValue value = call.params.at(number - 1);
    return value.isObject() && value.toObject().contains("ref") ? value.toObject().value("ref") : value;
}

// Parameters as a layout declares them: "NAME" or "NAME:type".
TParams declared(const QStringList& names)
{
    TParams params;
    for (const QString& name : names)
        params.Add(name.section(':', 0, 0), Qr::fieldTypeFromName(name.section(':', 1)));
    return params;
}
} // namespace

class TstNutriCardReport : public QObject
{
    Q_OBJECT

    ScreenEnvironment env;
    QString notReady;
    ScreenDriver screen;
    TfrmNutriCard* form = nullptr;
    // Each test's own: its session, answers and messages; ended after its form.
    std::optional<TestClientContext> context;

    RecordingProxy& server() { return env.proxy(); }
    QString output(const QString& name) const { return env.folder() + "/" + name; }

    void chooseCriteria()
    {
        screen.chooseTypeAndPeriod(form, kCreche, kMarch);
        QVERIFY(!form->depIniPeriodo->text().isEmpty());
    }

    void chooseLayout(const QString& code)
    {
        const int index = int(form->layoutCodes().indexOf(code));
        QVERIFY2(index >= 0, qPrintable(form->layoutCodes().join(",")));
        form->cbbReportNames->selectAsUser(index);
    }

    QString noMessages() const { return ScreenDriver::messages().join(" / "); }

private slots:
    void initTestCase() { notReady = env.start(true); }

    void init()
    {
        context.emplace();
        KAV_REQUIRE_SCREEN_ENVIRONMENT(notReady);
        env.openSharedConnection();
        env.logIn(kCentral);
        form = screen.open();
        QVERIFY(form);
        server().clearCalls();
        ScreenDriver::clearMessages();
    }

    void cleanup()
    {
        ScreenDriver::close();
        form = nullptr;
        QVERIFY2(ScreenDriver::dialogs().pendingAnswers().isEmpty(),
                 qPrintable(ScreenDriver::dialogs().pendingAnswers().join(", ")));
        context.reset();
    }

    // ---- check orders and the busy animation

    void listChecksRunInTheCommandsOrder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("print") << "sbtPrint"
                               << "Serviço deve ser informado.";
        QTest::newRow("save as") << "sbtSalvarComo"
                                 << "Serviço deve ser informado.";
        QTest::newRow("report edit") << "sbtReportEdit"
                                     << "Serviço deve ser informado.";
        QTest::newRow("preview") << "sbtPreview"
                                 << "Tipo de prato deve ser informado.";
    }
    void listChecksRunInTheCommandsOrder()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        chooseCriteria();
        screen.click(form->rbtListaServ);
        screen.click(form->rbtListaTPrato);
        form->findChild<TSpeedButton*>(command)->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{message});
        // Nothing prepared, and the base command opened no dialog of its own.
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
        QVERIFY(!Showavi::IsActive());
    }

    void busyAnimationIsShownOnlyPastTheBranchCheck_data()
    {
        QTest::addColumn<bool>("especifico");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("busyWhenShown");
        QTest::newRow("aggregated branch fails: never shown")
            << true << "Filial Agregada deve ser informada." << false;
        QTest::newRow("menu type fails: shown, then hidden")
            << false << "Tipo de cardápio deve ser informado." << true;
    }
    void busyAnimationIsShownOnlyPastTheBranchCheck()
    {
        QFETCH(bool, especifico);
        QFETCH(QString, message);
        QFETCH(bool, busyWhenShown);
        if (especifico)
            screen.click(form->chbEspecifico);
        QList<bool> busy;
        const auto connection = connect(&ScreenDriver::dialogs(), &Kav::DialogService::messageShown, this,
                                        [&busy] { busy << Showavi::IsActive(); });
        form->sbtPrint->Click();
        disconnect(connection);
        QCOMPARE(ScreenDriver::messages(), QStringList{message});
        QCOMPARE(busy, QList<bool>{busyWhenShown});
        QVERIFY(!Showavi::IsActive());
    }

    void busyAnimationCoversTheServerCallsOfTheChecksAndPreparation()
    {
        chooseCriteria();
        QStringList busyCalls;
        QStringList idleCalls;
        const auto connection =
            connect(&server(), &RecordingProxy::callArrived, this,
                    [&](const QString& method) { (Showavi::IsActive() ? busyCalls : idleCalls) << method; });
        screen.answerFile(output("busy.pdf"));
        form->sbtPrint->Click();
        disconnect(connection);
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        QCOMPARE(busyCalls, QStringList({"GetServico", "CriaNutriCard"}));
        // The print ran after the animation was hidden.
        QCOMPARE(idleCalls, QStringList{"DelNutriCard"});
        QVERIFY(!Showavi::IsActive());
    }

    // ---- preparation

    void reportKindFollowsLayoutAndNutrients_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("allNutrients");
        QTest::addColumn<QString>("kind");
        QTest::newRow("07 with all") << "07" << true << "DT";
        QTest::newRow("05 with a list") << "05" << false << "SL";
        QTest::newRow("04 with all") << "04" << true << "ST";
        QTest::newRow("01 with all") << "01" << true << "NT";
        QTest::newRow("01 with a list") << "01" << false << "NL";
    }
    void reportKindFollowsLayoutAndNutrients()
    {
        QFETCH(QString, layout);
        QFETCH(bool, allNutrients);
        QFETCH(QString, kind);
        chooseCriteria();
        chooseLayout(layout);
        if (!allNutrients) {
            screen.click(form->rbtListaNutr);
            screen.answerList("001 003");
            screen.click(form->sbtNutriente);
        }
        server().clearCalls();
        screen.answerFile(output("kind" + kind + ".pdf"));
        form->sbtPrint->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        const auto calls = server().callsOf("CriaNutriCard");
        QCOMPARE(calls.size(), 1);
        const RecordingProxy::Call& call = calls[0];
        QCOMPARE(call.params.size(), 11);
        QCOMPARE(argument(call, 11).toString(), kind);
        QCOMPARE(argument(call, 1).toString(), kCentral);
        QCOMPARE(argument(call, 2).toString(), kCentral);
        QCOMPARE(argument(call, 5).toObject().value("date").toString(), QString("2025-03-01"));
        QCOMPARE(argument(call, 6).toObject().value("date").toString(), QString("2025-03-31"));
        QCOMPARE(argument(call, 7), QJsonValue(false));
        QCOMPARE(argument(call, 8), QJsonValue(false));
        QCOMPARE(argument(call, 9), QJsonValue(false));
        QCOMPARE(argument(call, 10).toString(), kCreche);
        if (!allNutrients)
            QCOMPARE(argument(call, 3).toString(), QString("001_003"));
        // The answer is kept: the key and the report's nutrient columns.
        QCOMPARE(QJsonValue(NrSequNutr), call.value.toArray().at(0));
    }

    void especificoSendsTheAggregatedBranchSecond()
    {
        chooseCriteria();
        screen.click(form->chbEspecifico);
        ScreenDriver::type(form->medCdFiliAgre, "0011");
        screen.click(form->chbNDPCal);
        screen.answerFile(output("especifico.pdf"));
        form->sbtPrint->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        const RecordingProxy::Call call = server().callsOf("CriaNutriCard").value(0);
        QCOMPARE(argument(call, 1).toString(), kCentral);
        QCOMPARE(argument(call, 2).toString(), QString("0011"));
        QCOMPARE(argument(call, 9), QJsonValue(true));
        // By reference: the branch, the nutrients and the services.
        for (int number : {2, 3, 4})
            QVERIFY(call.params.at(number - 1).toObject().contains("ref"));
        QVERIFY(!call.params.at(0).isObject());
    }

    void serverRefusalIsShownAsItsText()
    {
        chooseCriteria();
        screen.click(form->rbtListaServ);
        // A list the server cannot read: it refuses with a text of its own.
        ListaServPesq = "00001__00003";
        NrSequNutr = "0000000001";
        form->sbtPrint->Click();
        const auto calls = server().callsOf("CriaNutriCard");
        QCOMPARE(calls.size(), 1);
        QVERIFY(calls[0].value.isString());
        QVERIFY(!calls[0].value.toString().isEmpty());
        QCOMPARE(ScreenDriver::messages(), QStringList{calls[0].value.toString()});
        QCOMPARE(NrSequNutr, QString("0000000001"));
        QVERIFY(!Showavi::IsActive());
    }

    void keyLongerThanTenCharactersIsAnError_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ten characters") << "9999999999" << true;
        QTest::newRow("eleven characters") << "00000000001" << false;
    }
    void keyLongerThanTenCharactersIsAnError()
    {
        QFETCH(QString, key);
        QFETCH(bool, accepted);
        chooseCriteria();
        server().rewriteNextAnswer("CriaNutriCard", [key](QJsonObject& result) {
            // The prepared header is found under the rewritten key too, as the report requires.
            copyPreparedHeader(result.value("value").toArray().at(0).toString(), key);
            result.insert("value", QJsonArray{key, "_001_002"});
        });
        screen.answerFile(output("key.pdf"));
        form->sbtPrint->Click();
        QCOMPARE(NrSequNutr, key);
        if (accepted) {
            QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
            // The print ran and its data was deleted under that key.
            QCOMPARE(argument(server().callsOf("DelNutriCard").value(0), 1).toString(), key);
        } else {
            QCOMPARE(ScreenDriver::messages(), QStringList{key});
            QVERIFY(server().callsOf("DelNutriCard").isEmpty());
            // The base command did not run: its print dialog was never asked.
            QCOMPARE(ScreenDriver::dialogs().pendingAnswers().size(), 1);
            ScreenDriver::dialogs().clearAnswers();
        }
    }

    void answerThatIsNotAPairEndsTheCommand()
    {
        chooseCriteria();
        server().rewriteNextAnswer(
            "CriaNutriCard", [](QJsonObject& result) { result.insert("value", QJsonArray{"0000000001"}); });
        form->sbtPreview->Click();
        QCOMPARE(ScreenDriver::messages().size(), 1);
        QVERIFY(!Showavi::IsActive());
    }

    void listsTheServerChangedReachTheReport()
    {
        chooseCriteria();
        server().rewriteNextAnswer("CriaNutriCard", [](QJsonObject& result) {
            QJsonObject refs = result.value("refs").toObject();
            refs.insert("1", "0012");
            refs.insert("2", "001_002");
            refs.insert("3", "00003");
            result.insert("refs", refs);
        });
        screen.answerFile(output("changed.pdf"));
        form->sbtPrint->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        QCOMPARE(ListaNutr, QString("001_002"));
        QCOMPARE(ListaServ, QString("00003"));
        // The branch was a copy for the call.
        QVERIFY(form->medCdFiliAgre->Text().isEmpty());
        TParams params = declared({"P_CDSERVFILI"});
        bool cancel = false;
        form->rpddPadraoBeforeGetQueryParams(params, cancel);
        QCOMPARE(params.ParamByName("P_CDSERVFILI").Value().toString(), QString("00003"));
    }

    // ---- deletion of the prepared data

    // "Salvar como" suggests "<report>-<period>.pdf" and, once saved, says so in the host's
    // status bar.
    void saveAsSuggestsANameAndConfirmsInTheStatusBar()
    {
        ScreenDriver::close();
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        form = screen.open();
        QVERIFY(form);
        chooseCriteria();
        const QString saved = output("salvo.pdf");
        screen.answerFile(saved);
        form->sbtSalvarComo->Click();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        const QString offered = ScreenDriver::dialogs().lastOfferedFile();
        QCOMPARE(QFileInfo(offered).fileName(),
                 form->cbbReportNames->currentText() + QStringLiteral("-01-03-2025 a 31-03-2025.pdf"));
        QVERIFY(QFile::exists(saved));
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("Relatório salvo em ") + saved);
        ScreenDriver::close();
    }

    void preparedDataIsDeletedAfterPrintPreviewAndText_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer"); // "file:" or "preview:"
        QTest::addColumn<bool>("deleted");
        QTest::newRow("print") << "print"
                               << "file:print.pdf" << true;
        // An empty answer is the print dialog cancelled: nothing printed, nothing kept.
        QTest::newRow("print dialog cancelled") << "print"
                                                << "file:" << true;
        QTest::newRow("preview") << "preview"
                                 << "preview:close" << true;
        QTest::newRow("save as text") << "text"
                                      << "file:report.txt" << true;
        QTest::newRow("save as PDF") << "saveas"
                                     << "file:report.pdf" << false;
    }
    void preparedDataIsDeletedAfterPrintPreviewAndText()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(bool, deleted);
        chooseCriteria();
        const QString file = answer.startsWith("file:") ? answer.mid(5) : QString();
        if (answer.startsWith("file:"))
            screen.answerFile(file.isEmpty() ? QString() : output(file));
        else
            ScreenDriver::dialogs().queueAnswer(Kav::DialogKind::Preview, answer.mid(8));
        if (command == "text") {
            form->mnuSalvarTexto->trigger();
        } else {
            form->findChild<TSpeedButton*>(command == "print"     ? "sbtPrint"
                                           : command == "preview" ? "sbtPreview"
                                                                  : "sbtSalvarComo")
                ->Click();
        }
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        QVERIFY(!NrSequNutr.isEmpty());
        QCOMPARE(server().callsOf("DelNutriCard").size(), deleted ? 1 : 0);
        QCOMPARE(preparedRows(NrSequNutr) == 0, deleted);
        if (!file.isEmpty())
            QVERIFY(QFileInfo(output(file)).size() > 0);
    }

    // The user presses the preparation panel's "Cancelar" while its answer is read and laid out.
    void cancelWhileTheAnswerIsHandledDeletesThePreparedData_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file"); // the file dialog's answer, asked before the data are read
        QTest::newRow("print") << "print" << QString();
        QTest::newRow("preview") << "preview" << QString();
        QTest::newRow("save as PDF") << "saveas"
                                     << "cancelled.pdf";
        QTest::newRow("save as text") << "text"
                                      << "cancelled.txt";
    }
    void cancelWhileTheAnswerIsHandledDeletesThePreparedData()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        chooseCriteria();
        if (!file.isEmpty())
            screen.answerFile(output(file));
        bool underTheAnswersHandling = false;
        form->rpddPadrao->setProgressHandler([&](const QString&, int, int) {
            Kav::CallAnswerHandling* handling = Kav::CallAnswerHandling::current();
            underTheAnswersHandling = handling != nullptr;
            if (!handling)
                return true;
            handling->cancel();
            return handling->keepResponding();
        });
        if (command == "text") {
            form->mnuSalvarTexto->trigger();
        } else {
            form->findChild<TSpeedButton*>(command == "print"     ? "sbtPrint"
                                           : command == "preview" ? "sbtPreview"
                                                                  : "sbtSalvarComo")
                ->Click();
        }
        QVERIFY(underTheAnswersHandling);
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages())); // the user's own choice
        QVERIFY(!NrSequNutr.isEmpty());
        QCOMPARE(server().callsOf("DelNutriCard").size(), 1);
        QCOMPARE(preparedRows(NrSequNutr), 0);
        QVERIFY(file.isEmpty() || !QFileInfo::exists(output(file)));
        QVERIFY(!Kav::CallAnswerHandling::current());
    }

    void textSavedAfterAPrintHasItsOwnData()
    {
        chooseCriteria();
        screen.answerFile(output("first.pdf"));
        form->sbtPrint->Click();
        const QString printed = NrSequNutr;
        QCOMPARE(preparedRows(printed), 0);
        server().clearCalls();
        screen.answerFile(output("after-print.txt"));
        form->mnuSalvarTexto->trigger();
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(noMessages()));
        QCOMPARE(server().methods(), QStringList({"GetServico", "CriaNutriCard", "DelNutriCard"}));
        QVERIFY(NrSequNutr != printed);
        QFile text(output("after-print.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(text.readAll()).contains("Desjejum"));
    }

    void refusedDeletionIsShown()
    {
        chooseCriteria();
        server().rewriteNextAnswer("DelNutriCard", [](QJsonObject& result) {
            result.insert("value", "Chave de relatório inválida.");
        });
        screen.answerFile(output("refused.pdf"));
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages(), QStringList{"Chave de relatório inválida."});
        QVERIFY(QFileInfo::exists(output("refused.pdf")));
    }

    // ---- the report's query parameters

    void parametersAreBoundAsTheLayoutDeclaresThem_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("options"); // "ndpcal", "semopcao", "listatprato" as set
        QTest::addColumn<QString>("nutrientes");
        QTest::addColumn<QVariantMap>("expected"); // an invalid value: left unassigned
        QTest::addColumn<QString>("nutrientesAfter");
        const QVariant unassigned;
        QTest::newRow("nothing declared") << QStringList() << ""
                                          << "_001_002" << QVariantMap() << "001_002";
        QStringList columns;
        for (int k = 1; k <= 8; ++k)
            columns << QString("P_NUTRIENTE%1").arg(k);
        QTest::newRow("columns cut by position") << columns << ""
                                                 << "_001_002_003"
                                                 << QVariantMap{{"P_NUTRIENTE1", "001"},
                                                                {"P_NUTRIENTE2", "002"},
                                                                {"P_NUTRIENTE3", "003"},
                                                                {"P_NUTRIENTE4", ""},
                                                                {"P_NUTRIENTE8", ""}}
                                                 << "001_002_003";
        // The engine prints the codes past a layout's columns in further blocks of them.
        QTest::newRow("ninth code gets a parameter of its own")
            << columns << ""
            << "001_002_003_004_005_006_007_008_009"
            << QVariantMap{{"P_NUTRIENTE7", "007"}, {"P_NUTRIENTE8", "008"}, {"P_NUTRIENTE9", "009"}}
            << "001_002_003_004_005_006_007_008_009";
        QStringList everyCode;
        for (int k = 1; k <= 26; ++k)
            everyCode << QString("%1").arg(k, 3, 10, QLatin1Char('0'));
        QTest::newRow("every code of the catalogue, no capacity") << columns << ""
                                                                  << "_" + everyCode.join('_')
                                                                  << QVariantMap{{"P_NUTRIENTE8", "008"},
                                                                                 {"P_NUTRIENTE24", "024"},
                                                                                 {"P_NUTRIENTE25", "025"},
                                                                                 {"P_NUTRIENTE26", "026"}}
                                                                  << everyCode.join('_');
        QTest::newRow("ninth code in a second block")
            << (columns + QStringList{"P_NUTRIENTE9", "P_NUTRIENTE10", "P_NUTRIENTE24"}) << ""
            << "001_002_003_004_005_006_007_008_009"
            << QVariantMap{{"P_NUTRIENTE8", "008"},
                           {"P_NUTRIENTE9", "009"},
                           {"P_NUTRIENTE10", ""},
                           {"P_NUTRIENTE24", ""}}
            << "001_002_003_004_005_006_007_008_009";
        QTest::newRow("option without its pair") << QStringList{"P_OPCAO"} << ""
                                                 << "" << QVariantMap{{"P_OPCAO", unassigned}} << "";
        QTest::newRow("dish types without their pair")
            << QStringList{"P_TODOSTPRATO"} << "listatprato"
            << "" << QVariantMap{{"P_TODOSTPRATO", unassigned}} << "";
        QTest::newRow("options and all dish types")
            << QStringList{"P_OPCAO", "P_TODASOPCAO", "P_LISTATPRATO", "P_TODOSTPRATO"} << ""
            << ""
            << QVariantMap{{"P_OPCAO", "X"},
                           {"P_TODASOPCAO", "T"},
                           {"P_LISTATPRATO", "X"},
                           {"P_TODOSTPRATO", "T"}}
            << "";
        QTest::newRow("no options and a dish-type list")
            << QStringList{"P_OPCAO", "P_TODASOPCAO", "P_LISTATPRATO", "P_TODOSTPRATO"}
            << "semopcao listatprato"
            << ""
            << QVariantMap{{"P_OPCAO", "N"},
                           {"P_TODASOPCAO", "X"},
                           {"P_LISTATPRATO", "01_05"},
                           {"P_TODOSTPRATO", "X"}}
            << "";
        QTest::newRow("NDpCal unchecked")
            << QStringList{"P_NDPCAL", "P_FILNDPCAL"} << ""
            << "" << QVariantMap{{"P_NDPCAL", "N"}, {"P_FILNDPCAL", "XXXX"}} << "";
        QTest::newRow("NDpCal checked")
            << QStringList{"P_NDPCAL", "P_FILNDPCAL"} << "ndpcal"
            << "" << QVariantMap{{"P_NDPCAL", "S"}, {"P_FILNDPCAL", kCentral}} << "";
        QTest::newRow("dates as values and as shown")
            << QStringList{"P_DTINICIAL:datetime", "P_DTFINAL", "P_DTPERIINI:string", "P_DTPERIFIN"} << ""
            << ""
            << QVariantMap{{"P_DTINICIAL", QDateTime(QDate(2025, 3, 1), QTime(0, 0))},
                           {"P_DTFINAL", QDateTime(QDate(2025, 3, 31), QTime(0, 0))},
                           {"P_DTPERIINI", "01/03/2025"},
                           {"P_DTPERIFIN", "31/03/2025"}}
            << "";
        QTest::newRow("criteria texts, names in any case")
            << QStringList{"P_CDFILCENTZVE", "P_NMFILCENTZVE", "p_cdtipocard", "P_NMTIPOCARD",
                           "P_NRCARDZVE",    "P_NRSEQUNUTR",   "P_CDSERVFILI", "P_CDFILIAGRE",
                           "P_NMFILIAGRE",   "P_CDFILAUXPRAT"}
            << ""
            << ""
            << QVariantMap{{"P_CDFILCENTZVE", kCentral},
                           {"P_NMFILCENTZVE", "Cozinha Central Norte"},
                           {"P_CDTIPOCARD", kCreche},
                           {"P_NMTIPOCARD", "Creche (0 a 3 anos)"},
                           {"P_NRCARDZVE", kMarch},
                           {"P_NRSEQUNUTR", "0000000077"},
                           {"P_CDSERVFILI", "00001_00003"},
                           {"P_CDFILIAGRE", "0011"},
                           {"P_NMFILIAGRE", "EMEF Jardim das Flores"},
                           {"P_CDFILAUXPRAT", ""}}
            << "";
    }
    void parametersAreBoundAsTheLayoutDeclaresThem()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, options);
        QFETCH(QString, nutrientes);
        QFETCH(QVariantMap, expected);
        QFETCH(QString, nutrientesAfter);
        chooseCriteria();
        if (options.contains("ndpcal"))
            screen.click(form->chbNDPCal);
        if (options.contains("semopcao"))
            screen.click(form->chbOpcao);
        ListaTPrato = "01_05";
        if (options.contains("listatprato"))
            screen.click(form->rbtListaTPrato);
        // The aggregated branch as it stands, with "Específico" unchecked.
        form->medCdFiliAgre->setText("0011");
        form->edtNmFiliAgre->setText("EMEF Jardim das Flores");
        ListaServ = "00001_00003";
        NrSequNutr = "0000000077";
        ListaNutrRel = nutrientes;

        TParams params = declared(names);
        bool cancel = false;
        form->rpddPadraoBeforeGetQueryParams(params, cancel);
        QVERIFY(!cancel);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const Qr::TParam& param = params.ParamByName(it.key());
            if (!it.value().isValid())
                QVERIFY2(!param.Value().isValid(), qPrintable(it.key()));
            else if (it.value().typeId() == QMetaType::QString)
                QCOMPARE(param.AsString(), it.value().toString());
            else
                QCOMPARE(param.Value(), it.value());
        }
        QCOMPARE(ListaNutrRel, nutrientesAfter);
        // A second run finds the list without its leading separator and cuts it the same way.
        form->rpddPadraoBeforeGetQueryParams(params, cancel);
        QCOMPARE(ListaNutrRel, nutrientesAfter);
    }

    void textParametersBecomeTextParameters()
    {
        chooseCriteria();
        ListaNutrRel = "_001";
        TParams params = declared({"P_DTPERIINI:datetime", "P_NUTRIENTE1:integer", "P_DTINICIAL"});
        bool cancel = false;
        form->rpddPadraoBeforeGetQueryParams(params, cancel);
        QCOMPARE(params.ParamByName("P_DTPERIINI").DataType(), Qr::TFieldType::ftString);
        QCOMPARE(params.ParamByName("P_DTPERIINI").Value().toString(), QString("01/03/2025"));
        QCOMPARE(params.ParamByName("P_NUTRIENTE1").DataType(), Qr::TFieldType::ftString);
        QCOMPARE(params.ParamByName("P_NUTRIENTE1").Value().toString(), QString("001"));
        // A value without a declared type takes the value's own: a date-time.
        QCOMPARE(params.ParamByName("P_DTINICIAL").Value().typeId(), QMetaType::QDateTime);
    }

    // ---- keyboard

    void shortcutsRunTheScreensCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("message");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Ctrl+I prints (order A)") << int(Qt::Key_I) << ctrl << "Serviço deve ser informado.";
        QTest::newRow("Ctrl+Shift+I prints")
            << int(Qt::Key_I) << int(ctrl | Qt::ShiftModifier) << "Serviço deve ser informado.";
        QTest::newRow("Ctrl+S saves as (order A)") << int(Qt::Key_S) << ctrl << "Serviço deve ser informado.";
        QTest::newRow("Ctrl+E edits (order A)") << int(Qt::Key_E) << ctrl << "Serviço deve ser informado.";
        QTest::newRow("Ctrl+P previews (order B)")
            << int(Qt::Key_P) << ctrl << "Tipo de prato deve ser informado.";
    }
    void shortcutsRunTheScreensCommands()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, message);
        chooseCriteria();
        screen.click(form->rbtListaServ);
        screen.click(form->rbtListaTPrato);
        screen.focus(form->chbOpcao);
        QTest::keyClick(form->chbOpcao, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(ScreenDriver::messages(), QStringList{message});
        QVERIFY(server().callsOf("CriaNutriCard").isEmpty());
    }

    void escapeClosesTheScreen()
    {
        screen.focus(form->medCdTipoCard);
        QTest::keyClick(form->medCdTipoCard, Qt::Key_Escape);
        QTRY_VERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado);
    }
};

QTEST_MAIN(TstNutriCardReport)
#include "tst_nutricardreport.moc"
