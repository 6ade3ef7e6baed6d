#include "Events.h"
#include "GuiDialogService.h"
#include "ListRows.h"
#include "LookupFixture.h"
#include "LookupListDialog.h"
#include "TBtnPesquisa.h"
#include "TestClientContext.h"

#include <optional>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

class TstBtnPesquisa : public QObject
{
    Q_OBJECT
private:
    // Each test's own: answers queued and messages shown are never another test's.
    std::optional<TestClientContext> context;
    Kav::ScriptedDialogService& dialogs() { return context->dialogs(); }

    // A button over the fixture's data source, with both lookup events bound.
    TBtnPesquisa* makeButton(QWidget* parent, LookupFixture& fixture)
    {
        auto* button = new TBtnPesquisa(parent);
        button->setObjectName("btpTeste");
        button->setTitle("Teste");
        button->setDataSource(fixture.source);
        button->setEmptyError("Não há registro cadastrado.");
        Kav::bindEvent(button, "OnBeforePesq", &fixture, "BeforePesq");
        Kav::bindEvent(button, "OnAfterPesq", &fixture, "AfterPesq");
        return button;
    }

private slots:
    void init() { context.emplace(); }
    void cleanup() { context.reset(); }

    void beforeHandlerCanEndTheLookup_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QStringList>("messages");
        QTest::addRow("error raised")
            << "Tipo de cardápio inativo." << false << QStringList{"Tipo de cardápio inativo."};
        QTest::addRow("flag cleared") << "" << true << QStringList{};
    }
    void beforeHandlerCanEndTheLookup()
    {
        QFETCH(QString, failure);
        QFETCH(bool, cancel);
        QFETCH(QStringList, messages);
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        fixture.failBefore = failure;
        fixture.cancelBefore = cancel;
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "3");
        button->click();
        QCOMPARE(fixture.calls, QStringList{"before"});
        QCOMPARE(dialogs().pendingAnswers(), QStringList{"lookup 3"}); // no list was shown
        QCOMPARE(dialogs().shownMessages(), messages);
        QCOMPARE(fixture.dataSet->RecNo(), 1);
    }

    void closedDataSetIsOpened()
    {
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        fixture.dataSet->Close();
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "2");
        button->click();
        QVERIFY(fixture.dataSet->Active());
        QCOMPARE(fixture.calls, (QStringList{"before", "after:002"}));
    }

    void emptyDataSetShowsTheEmptyText_data()
    {
        QTest::addColumn<QString>("emptyError");
        QTest::addColumn<QString>("shown");
        QTest::addRow("own text") << "Não há período cadastrado."
                                  << "Não há período cadastrado.";
        QTest::addRow("no text set") << ""
                                     << "Nenhum registro encontrado.";
    }
    void emptyDataSetShowsTheEmptyText()
    {
        QFETCH(QString, emptyError);
        QFETCH(QString, shown);
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        button->setEmptyError(emptyError);
        fixture.fill({});
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "1");
        button->click();
        QCOMPARE(dialogs().shownMessages(), QStringList{shown});
        QCOMPARE(dialogs().pendingAnswers(), QStringList{"lookup 1"});
        QCOMPARE(fixture.calls, QStringList{"before"});
    }

    void answerPicksTheRow_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("error");
        const QStringList untouched{"before"};
        QTest::addRow("row number") << "2"
                                    << "002" << QStringList{"before", "after:002"} << false;
        QTest::addRow("last row") << "4"
                                  << "010" << QStringList{"before", "after:010"} << false;
        QTest::addRow("field=value") << "CODIGO=003"
                                     << "003" << QStringList{"before", "after:003"} << false;
        QTest::addRow("hidden field") << "OCULTO=a4"
                                      << "010" << QStringList{"before", "after:010"} << false;
        QTest::addRow("cancel keeps the row") << "cancel"
                                              << "001" << untouched << false;
        QTest::addRow("no such row") << "5"
                                     << "001" << untouched << true;
        QTest::addRow("row zero") << "0"
                                  << "001" << untouched << true;
        QTest::addRow("no such value") << "CODIGO=999"
                                       << "001" << untouched << true;
        QTest::addRow("no such field") << "XX=1"
                                       << "001" << untouched << true;
    }
    void answerPicksTheRow()
    {
        QFETCH(QString, answer);
        QFETCH(QString, code);
        QFETCH(QStringList, calls);
        QFETCH(bool, error);
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        dialogs().queueAnswer(Kav::DialogKind::Lookup, answer);
        button->click();
        QCOMPARE(fixture.calls, calls);
        QCOMPARE(fixture.currentCode(), code);
        QCOMPARE(dialogs().shownMessages().size(), error ? 1 : 0);
    }

    void f9OnTheAssociatedControl_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("opens");
        QTest::addRow("F9") << int(Qt::Key_F9) << int(Qt::NoModifier) << true << true;
        QTest::addRow("Ctrl+F9") << int(Qt::Key_F9) << int(Qt::ControlModifier) << true << true;
        QTest::addRow("F9, button disabled") << int(Qt::Key_F9) << int(Qt::NoModifier) << false << false;
        QTest::addRow("F8") << int(Qt::Key_F8) << int(Qt::NoModifier) << true << false;
    }
    void f9OnTheAssociatedControl()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, enabled);
        QFETCH(bool, opens);
        QWidget window;
        auto* edit = new QLineEdit(&window);
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        button->setAssociate(edit);
        button->setEnabled(enabled);
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "2");
        QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const QStringList expected = opens ? QStringList{"before", "after:002"} : QStringList();
        QCOMPARE(fixture.calls, expected);
    }

    void boundClickReplacesTheLookup()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        button->setAssociate(edit);
        Kav::bindEvent(button, "OnClick", &fixture, "Click");
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "2");
        button->click();
        QTest::keyClick(edit, Qt::Key_F9);
        QCOMPARE(fixture.calls, (QStringList{"click", "click"}));
        QCOMPARE(dialogs().pendingAnswers(), QStringList{"lookup 2"});
    }

    void pressingItLeavesTheFocusInTheEdit()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        button->move(200, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "1");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(fixture.calls, (QStringList{"before", "after:001"}));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(button->size(), QSize(21, 21));
    }

    void setFocusLeadsBackToTheLookup_data()
    {
        QTest::addColumn<bool>("associateEnabled");
        QTest::addRow("to the associated control") << true;
        QTest::addRow("to the button, the control being disabled") << false;
    }
    void setFocusLeadsBackToTheLookup()
    {
        QFETCH(bool, associateEnabled);
        QWidget window;
        auto* date = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        button->move(200, 0);
        button->setAssociate(date);
        date->setEnabled(associateEnabled);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        button->SetFocus();
        QWidget* expected = associateEnabled ? static_cast<QWidget*>(date) : button;
        QCOMPARE(QApplication::focusWidget(), expected);
        if (associateEnabled)
            return;
        // Space on the focused button opens the lookup; leaving it makes it unfocusable again.
        dialogs().queueAnswer(Kav::DialogKind::Lookup, "3");
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(fixture.calls, (QStringList{"before", "after:003"}));
        other->setFocus();
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }

    void listShowsTheVisibleFieldsAndIsPickedByTyping()
    {
        // The interactive path: the dialog itself, answered by keys.
        // A person answers: the dialog itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa* button = makeButton(&window, fixture);
        QStringList headers;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<LookupListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* table = dialog->findChild<QTableWidget*>();
            for (int column = 0; column < table->columnCount(); ++column)
                headers.append(table->horizontalHeaderItem(column)->text());
            QTest::keyClicks(table, "01");
            QTest::keyClick(table, Qt::Key_Return);
        });
        button->click();
        QCOMPARE(headers, (QStringList{"Código", "Nome"}));
        QCOMPARE(fixture.calls, (QStringList{"before", "after:010"}));
    }

    void listSearchesAsTheUserTypes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("kept");
        QTest::addRow("code prefix") << "00" << false << 0 << 0 << "00";
        QTest::addRow("longer prefix moves on") << "01" << false << 0 << 3 << "01";
        QTest::addRow("unmatched character dropped") << "01x" << false << 0 << 3 << "01";
        QTest::addRow("backspace searches again") << "01" << true << 0 << 0 << "0";
        QTest::addRow("name column, any case") << "bet" << false << 1 << 3 << "bet";
        QTest::addRow("name column, shorter") << "B" << false << 1 << 2 << "B";
    }
    void listSearchesAsTheUserTypes()
    {
        QFETCH(QString, typed);
        QFETCH(bool, backspace);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, kept);
        LookupFixture fixture;
        LookupListDialog dialog("Teste", Kav::readListRows(fixture.dataSet));
        auto* table = dialog.findChild<QTableWidget*>();
        // A click on a header searches that column.
        emit table->horizontalHeader()->sectionClicked(column);
        QTest::keyClicks(table, typed);
        if (backspace)
            QTest::keyClick(table, Qt::Key_Backspace);
        QCOMPARE(dialog.currentRow(), row);
        QCOMPARE(dialog.typedText(), kept);
    }

    // Dates that travel as text (the periods of a data packet) are shown and searched as the
    // form's date boxes show them; other texts are left alone.
    void textDatesAreShownAndSearchedAsTheFormShowsThem()
    {
        LookupFixture fixture;
        fixture.fill({{"2025-03-01", "2025-13-01", "a1"}, {"2025-04-01", "Abril", "a2"}});
        const Kav::ListRows rows = Kav::readListRows(fixture.dataSet);
        QCOMPARE(rows.cells.value(0), (QStringList{"01/03/2025", "2025-13-01"})); // no such month
        QCOMPARE(rows.cells.value(1), (QStringList{"01/04/2025", "Abril"}));
        LookupListDialog dialog("Teste", rows);
        auto* table = dialog.findChild<QTableWidget*>();
        emit table->horizontalHeader()->sectionClicked(0);
        QTest::keyClicks(table, "01/04");
        QCOMPARE(dialog.currentRow(), 1);
    }

    // A column is as wide as its title and its texts, even when its display width is smaller:
    // no "ódig" for "Código", no squashed codes.
    void columnsFitTheirTitlesAndTexts()
    {
        LookupFixture fixture;
        fixture.dataSet->FieldByName("CODIGO")->setDisplayWidth(1);
        fixture.fill({{"0000000001", "Arroz", "a1"}});
        QTableWidget table;
        Kav::fillListTable(&table, Kav::readListRows(fixture.dataSet));
        const QFontMetrics header(table.horizontalHeader()->font());
        QVERIFY(table.columnWidth(0) > header.horizontalAdvance(QStringLiteral("Código")));
        QVERIFY(table.columnWidth(0) > table.fontMetrics().horizontalAdvance(QStringLiteral("0000000001")));
    }

    // A name declared a hundred characters wide (the aggregated branches' lookup) does not push
    // the short names out of the dialog behind a scroll bar.
    void wideDeclaredNameFitsTheDialog_data()
    {
        QTest::addColumn<int>("displayWidth");
        QTest::addRow("declared 100 wide") << 100;
        QTest::addRow("declared 41 wide") << 41;
        QTest::addRow("declared 17 wide") << 17;
    }
    void wideDeclaredNameFitsTheDialog()
    {
        QFETCH(int, displayWidth);
        LookupFixture fixture;
        fixture.dataSet->FieldByName("NOME")->setDisplayWidth(displayWidth);
        fixture.fill({{"0011", "EMEF Jardim das Flores", "a1"}, {"0013", "EMEF Parque das Águas", "a2"}});
        LookupListDialog dialog("Filial", Kav::readListRows(fixture.dataSet));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* table = dialog.findChild<QTableWidget*>();
        QCOMPARE(table->horizontalScrollBar()->maximum(), 0);
        QVERIFY(table->columnWidth(1) >=
                table->fontMetrics().horizontalAdvance(QStringLiteral("EMEF Jardim das Flores")));
    }

    void listClosesWithEnterOrEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::addRow("Enter picks") << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::addRow("keypad Enter picks") << int(Qt::Key_Enter) << int(QDialog::Accepted);
        QTest::addRow("Escape cancels") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }
    void listClosesWithEnterOrEscape()
    {
        QFETCH(int, key);
        QFETCH(int, result);
        LookupFixture fixture;
        LookupListDialog dialog("Teste", Kav::readListRows(fixture.dataSet));
        QTimer::singleShot(0, &dialog, [&] {
            auto* table = dialog.findChild<QTableWidget*>();
            QTest::keyClick(table, Qt::Key_Down);
            QTest::keyClick(table, Qt::Key(key));
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.currentRow(), 1);
    }
};

QTEST_MAIN(TstBtnPesquisa)
#include "tst_btnpesquisa.moc"
