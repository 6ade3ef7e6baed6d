#include "CheckListDialog.h"
#include "GuiDialogService.h"
#include "LookupFixture.h"
#include "Pesqlista.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TestClientContext.h"
#include "TStringField.h"

#include <optional>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// The services' data set as the application server sends it: a mark, then code and name. Each
// field is "NAME:label:size", with ":ro" when read-only.
struct MarkedSet
{
    explicit MarkedSet(const QStringList& fieldDescriptions)
    {
        dataSet.setObjectName("cdsMarcado");
        Kav::DataPacket packet;
        for (const QString& description : fieldDescriptions) {
            const QStringList parts = description.split(':');
            auto* field = new TStringField(&dataSet);
            field->setFieldName(parts[0]);
            field->setDisplayLabel(parts[1]);
            field->setSize(parts[2].toInt());
            field->setReadOnly(parts.value(3) == "ro");
            packet.fields.append({parts[0], Kav::FieldDef::Type::String, parts[2].toInt()});
        }
        const QStringList codes = {"001", "002", "003"};
        for (const QString& code : codes) {
            QVariantList row;
            for (const Kav::FieldDef& field : std::as_const(packet.fields))
                row.append(field.name == "CODIGO" ? code
                           : field.name == "NOME" ? QStringLiteral("Serviço ") + code
                                                  : QStringLiteral("N"));
            packet.rows.append(row);
        }
        dataSet.setData(packet);
        source.setDataSet(&dataSet);
    }

    TClientDataSet dataSet;
    TDataSource source;
};

} // namespace

class TstPesqlista : public QObject
{
    Q_OBJECT
private:
    // Each test's own: answers queued and messages shown are never another test's.
    std::optional<TestClientContext> context;
    Kav::ScriptedDialogService& dialogs() { return context->dialogs(); }

    // Answers the check-list dialog that is about to open: records which keys it shows
    // checked, then runs `act` on it.
    void whenTheListOpens(QStringList& checkedAtStart, std::function<void(CheckListDialog*)> act)
    {
        QTimer::singleShot(0, this, [&checkedAtStart, act] {
            auto* dialog = qobject_cast<CheckListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            checkedAtStart = dialog->checkedKeys();
            act(dialog);
        });
    }

private slots:
    void init() { context.emplace(); }
    void cleanup() { context.reset(); }

    void okWritesTheKeysInTheDataSetsOrder_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("list");
        QTest::addRow("one code, no separator") << "002"
                                                << "002";
        QTest::addRow("answered out of order") << "010 001"
                                               << "001_010";
        QTest::addRow("all four") << "003 001 010 002"
                                  << "001_002_003_010";
        QTest::addRow("extra blanks") << "  003   002 "
                                      << "002_003";
        QTest::addRow("none") << "none"
                              << "";
    }
    void okWritesTheKeysInTheDataSetsOrder()
    {
        QFETCH(QString, answer);
        QFETCH(QString, list);
        LookupFixture fixture;
        QString text = "001_002";
        dialogs().queueAnswer(Kav::DialogKind::List, answer);
        QVERIFY(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste|Vazio.", false, text));
        QCOMPARE(text, list);
        QVERIFY(!text.startsWith('_') && !text.endsWith('_') && !text.contains("__"));
    }

    void cancelOrAWrongKeyKeepsTheList()
    {
        LookupFixture fixture;
        QString text = "003";
        dialogs().queueAnswer(Kav::DialogKind::List, "cancel");
        QVERIFY(!Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, text));
        QCOMPARE(text, QString("003"));
        dialogs().queueAnswer(Kav::DialogKind::List, "001 999");
        QVERIFY_THROWS_EXCEPTION(Kav::Exception,
                                 Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, text));
        QCOMPARE(text, QString("003"));
    }

    void emptyDataSet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("listOpens");
        QTest::addRow("with an empty-list text")
            << "Serviço|Não há serviço cadastrado para a filial informada."
            << QStringList{"Não há serviço cadastrado para a filial informada."} << false;
        QTest::addRow("title only") << "Nutriente" << QStringList{} << true;
    }
    void emptyDataSet()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        QFETCH(bool, listOpens);
        LookupFixture fixture;
        fixture.fill({});
        QString list = "001";
        dialogs().queueAnswer(Kav::DialogKind::List, "none");
        QCOMPARE(Pesqlista::PesquisaLista(fixture.source, "CODIGO", text, false, list), listOpens);
        QCOMPARE(dialogs().shownMessages(), messages);
        QCOMPARE(list, listOpens ? QString() : QString("001"));
        QCOMPARE(dialogs().pendingAnswers().isEmpty(), listOpens);
    }

    void titleIsTheTextBeforeTheBar()
    {
        LookupFixture fixture;
        QSignalSpy unanswered(&dialogs(), &Kav::ScriptedDialogService::dialogUnanswered);
        QString list;
        QVERIFY(!Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Tipo de Prato|Não há.", false, list));
        QCOMPARE(unanswered.count(), 1);
        QCOMPARE(unanswered.at(0).at(1).toString(), QString("Tipo de Prato"));
    }

    void closedDataSetIsOpenedAndItsRowKept()
    {
        LookupFixture fixture;
        fixture.dataSet->setRecNo(3);
        QString list;
        dialogs().queueAnswer(Kav::DialogKind::List, "001");
        QVERIFY(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, list));
        QCOMPARE(fixture.dataSet->RecNo(), 3);
        fixture.dataSet->Close();
        dialogs().queueAnswer(Kav::DialogKind::List, "010");
        QVERIFY(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, list));
        QVERIFY(fixture.dataSet->Active());
        QCOMPARE(list, QString("010"));
    }

    void hiddenKeyAndRepeatedCodes()
    {
        LookupFixture fixture;
        fixture.fill({{"001", "Arroz", "x"}, {"002", "Feijão", "y"}, {"003", "Batata", "x"}});
        QString list;
        dialogs().queueAnswer(Kav::DialogKind::List, "y x");
        QVERIFY(Pesqlista::PesquisaLista(fixture.source, "OCULTO", "Teste", false, list));
        QCOMPARE(list, QString("x_y"));
    }

    void dialogStartsFromTheCodesInTheList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("marcarTodos");
        QTest::addColumn<QStringList>("checked");
        QTest::addRow("two codes") << "002_010" << false << QStringList{"002", "010"};
        QTest::addRow("unknown codes ignored") << "999_003" << false << QStringList{"003"};
        QTest::addRow("empty list") << "" << false << QStringList{};
        QTest::addRow("empty list, all marked") << "" << true << QStringList{"001", "002", "003", "010"};
        QTest::addRow("a list wins over all marked") << "001" << true << QStringList{"001"};
    }
    void dialogStartsFromTheCodesInTheList()
    {
        QFETCH(QString, list);
        QFETCH(bool, marcarTodos);
        QFETCH(QStringList, checked);
        // A person answers: the dialog itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        LookupFixture fixture;
        QStringList atStart;
        whenTheListOpens(atStart, [](CheckListDialog* dialog) { dialog->accept(); });
        QVERIFY(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", marcarTodos, list));
        QCOMPARE(atStart, checked);
        QCOMPARE(list, checked.join('_'));
    }

    void dialogButtonsAndKeys_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("spaceOnFirstRow");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("list");
        QTest::addRow("select all") << "selectAll" << false << true << "001_002_003_010";
        QTest::addRow("clear all") << "clearAll" << false << true << "";
        QTest::addRow("clear all, then space") << "clearAll" << true << true << "001";
        QTest::addRow("select all, then cancel") << "selectAll" << false << false << "002";
    }
    void dialogButtonsAndKeys()
    {
        QFETCH(QString, button);
        QFETCH(bool, spaceOnFirstRow);
        QFETCH(bool, accepted);
        QFETCH(QString, list);
        // A person answers: the dialog itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        LookupFixture fixture;
        QString text = "002";
        QStringList atStart;
        whenTheListOpens(atStart, [&](CheckListDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
            auto* table = dialog->findChild<QTableWidget*>();
            if (spaceOnFirstRow)
                QTest::keyClick(table, Qt::Key_Space);
            QTest::keyClick(table, accepted ? Qt::Key_Return : Qt::Key_Escape);
        });
        QCOMPARE(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, text), accepted);
        QCOMPARE(text, list);
    }

    // A read-only one-character field is the rows' mark: the list shows it as its check box, not as
    // a column titled with the data set's label for it ("4"), and checking still sets it.
    void markFieldIsTheCheckColumn_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("checkColumn");
        QTest::addColumn<QString>("checkTexts"); // of the three rows, in the check column
        QTest::addRow("mark first, as the services' data set")
            << QStringList{"IDMARCADO:4:1:ro", "CODIGO:Código:5", "NOME:Nome:40"}
            << QStringList{"", "Código", "Nome"} << 0 << ",,";
        QTest::addRow("mark after the code")
            << QStringList{"CODIGO:Código:5", "IDMARCADO:4:1:ro", "NOME:Nome:40"}
            << QStringList{"Código", "", "Nome"} << 1 << ",,";
        QTest::addRow("editable one-character field is data")
            << QStringList{"IDMARCADO:4:1", "CODIGO:Código:5", "NOME:Nome:40"}
            << QStringList{"4", "Código", "Nome"} << 0 << "N,N,N";
        QTest::addRow("read-only wider field is data")
            << QStringList{"SIGLA:Sigla:2:ro", "CODIGO:Código:5", "NOME:Nome:40"}
            << QStringList{"Sigla", "Código", "Nome"} << 0 << "N,N,N";
    }
    void markFieldIsTheCheckColumn()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, headers);
        QFETCH(int, checkColumn);
        QFETCH(QString, checkTexts);
        // A person answers: the dialog itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        MarkedSet set(fields);
        QStringList atStart;
        QStringList shownHeaders;
        int shownCheckColumn = -1;
        QStringList shownCheckTexts;
        bool everyRowCheckable = true;
        whenTheListOpens(atStart, [&](CheckListDialog* dialog) {
            auto* table = dialog->findChild<QTableWidget*>();
            for (int column = 0; column < table->columnCount(); ++column)
                shownHeaders.append(table->horizontalHeaderItem(column)->text());
            shownCheckColumn = dialog->checkColumn();
            for (int row = 0; row < table->rowCount(); ++row) {
                QTableWidgetItem* item = table->item(row, shownCheckColumn);
                shownCheckTexts.append(item->text());
                everyRowCheckable = everyRowCheckable && item->flags().testFlag(Qt::ItemIsUserCheckable);
            }
            table->setCurrentCell(2, 0);
            QTest::keyClick(table, Qt::Key_Space);
            QTest::keyClick(table, Qt::Key_Return);
        });
        QString list = "002";
        QVERIFY(Pesqlista::PesquisaLista(&set.source, "CODIGO", "Serviço", false, list));
        QCOMPARE(shownHeaders, headers);
        QCOMPARE(shownCheckColumn, checkColumn);
        QVERIFY(everyRowCheckable);
        QCOMPARE(atStart, QStringList{"002"});
        QCOMPARE(list, QString("002_003"));
        // The mark's "N" is not shown beside its box; a data column keeps its texts.
        QCOMPARE(shownCheckTexts.join(','), checkTexts);
    }

    // What the choice leads to is said under the list (the report prints the nutrients chosen).
    void noteIsShownUnderTheList()
    {
        // A person answers: the dialog itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        LookupFixture fixture;
        QString text;
        QStringList atStart;
        QString shown;
        bool visible = false;
        whenTheListOpens(atStart, [&](CheckListDialog* dialog) {
            auto* note = dialog->findChild<QLabel*>(QStringLiteral("lblNota"));
            shown = note->text();
            visible = note->isVisible();
            QTest::keyClick(dialog->findChild<QTableWidget*>(), Qt::Key_Escape);
        });
        Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Teste", false, text, "Impressos em blocos de 8.");
        QCOMPARE(shown, QStringLiteral("Impressos em blocos de 8."));
        QVERIFY(visible);
    }
};

QTEST_MAIN(TstPesqlista)
#include "tst_pesqlista.moc"
