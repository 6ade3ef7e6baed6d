// The standard controls as layouts use them: edit masks, colours, the shared layout
// properties, the events each control fires, the message catalogue and the save dialog.
#include "ClientCoreContext.h"
#include "Colors.h"
#include "EditMask.h"
#include "Events.h"
#include "KavException.h"
#include "LayoutError.h"
#include "LayoutLoader.h"
#include "StandardWidgets.h"
#include "TCheckBox.h"
#include "TComboBox.h"
#include "TEdit.h"
#include "TestClientContext.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TRadioButton.h"
#include "TSaveDialog.h"
#include "TSpeedButton.h"
#include "WidgetProperties.h"

#include <optional>
#include <QMenu>
#include <QtTest>

// A panel standing in for a form: it owns the handlers the test layouts bind.
class TstHolder : public TPanel
{
    Q_OBJECT
public:
    QStringList calls;
    Q_INVOKABLE void clicked(QObject* sender) { calls << "click " + sender->objectName(); }
    Q_INVOKABLE void changed(QObject* sender) { calls << "change " + sender->objectName(); }
};

class TstControls : public QObject
{
    Q_OBJECT

    // Each test's own client: the controls' handlers run as its commands.
    std::optional<Kav::ClientCoreContext> context;
    std::unique_ptr<TstHolder> holder;

    void load(const QString& body)
    {
        Kav::LayoutLoader loader(holder.get(), *context);
        loader.applyText("object holder: TstHolder\n" + body + "end\n", "controls.kfm");
    }
    template <class T> T* find(const char* name) { return holder->findChild<T*>(QLatin1String(name)); }

private slots:
    void initTestCase() { Kav::registerStandardWidgets(); }
    void init()
    {
        context.emplace();
        holder = std::make_unique<TstHolder>();
    }
    void cleanup()
    {
        holder.reset();
        context.reset();
    }

    void masksTranslateToQtMasks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("inputMask");
        QTest::addColumn<bool>("savesLiterals");
        QTest::addColumn<QString>("blank");
        QTest::newRow("branch code") << ">aaaa;0; "
                                     << ">nnnn; " << false << " ";
        QTest::newRow("menu-type code") << "9999999999;0; "
                                        << "0000000000; " << false << " ";
        QTest::newRow("date, literals kept") << "!99/99/0000;1;_"
                                             << "00/00/9999;_" << true << "_";
        QTest::newRow("phone") << "(999) 000-0000;0;*"
                               << "(000) 999-9999;*" << false << "*";
        QTest::newRow("escaped letter") << "\\A-LL;1;_"
                                        << "\\A-AA;_" << true << "_";
        QTest::newRow("letters, case off, no fields") << "<>ccc"
                                                      << "!xxx;_" << true << "_";
        QTest::newRow("Qt mask letters as literals") << "0N0;0;_"
                                                     << "9\\N9;_" << false << "_";
        QTest::newRow("no mask") << ""
                                 << "" << true << "_";
    }
    void masksTranslateToQtMasks()
    {
        QFETCH(QString, mask);
        QFETCH(QString, inputMask);
        QFETCH(bool, savesLiterals);
        QFETCH(QString, blank);
        const EditMask translated(mask);
        QCOMPARE(translated.inputMask(), inputMask);
        QCOMPARE(translated.savesLiterals(), savesLiterals);
        QCOMPARE(QString(translated.blank()), blank);
    }

    void maskedTextDropsBlanksAndUnsavedLiterals_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("literals dropped") << "99/99;0;_"
                                          << "1234"
                                          << "1234"
                                          << "12/34";
        QTest::newRow("literals kept") << "99/99;1;_"
                                       << "1234"
                                       << "12/34"
                                       << "12/34";
        QTest::newRow("partly typed") << "99/99;0;_"
                                      << "123"
                                      << "123"
                                      << "12/3_";
        QTest::newRow("upper case, blank space") << ">aaaa;0; "
                                                 << "x1"
                                                 << "X1"
                                                 << "X1  ";
    }
    void maskedTextDropsBlanksAndUnsavedLiterals()
    {
        QFETCH(QString, mask);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        TMaskEdit edit;
        edit.setEditMask(mask);
        edit.show();
        edit.setFocus();
        edit.clear();
        edit.home(false);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.Text(), text);
        QCOMPARE(edit.displayText(), shown);
    }

    void colourNamesBothWays()
    {
        QCOMPARE(Kav::colorFromName("clInfoBk"), QColor(0xFF, 0xFF, 0xE1));
        QCOMPARE(Kav::colorFromName("$000000FF"), QColor(Qt::red)); // stored blue-green-red
        QVERIFY(!Kav::colorFromName("clNoSuch").isValid());
        QCOMPARE(Kav::colorName(QColor(Qt::white)), QString("clWindow"));
        QCOMPARE(Kav::colorName(QColor(0xF0, 0xF0, 0xF0)), QString("clBtnFace"));
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kav::setColor(holder.get(), QStringLiteral("clNoSuch")));
    }

    void controlColourHoldsWhenDisabled()
    {
        TEdit edit;
        QCOMPARE(Kav::colorOf(&edit), QString("clWindow"));
        Kav::setColor(&edit, QStringLiteral("clInfoBk"));
        edit.setEnabled(false);
        QCOMPARE(Kav::colorOf(&edit), QString("clInfoBk"));
        Kav::setColor(&edit, QStringLiteral("clBtnFace"));
        QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Base), QColor(0xF0, 0xF0, 0xF0));
    }

    void sharedPropertiesReachTheControls()
    {
        load("  object box: TEdit\n    Left = 10\n    Top = 20\n    Width = 55\n    Height = 21\n"
             "    Color = clInfoBk\n    Enabled = False\n    Hint = 'Código'\n    TabOrder = 3\n"
             "    TabStop = False\n    Font.Name = 'MS Sans Serif'\n    Font.Height = -11\n"
             "    Font.Style = [fsBold, fsItalic]\n    Anchors = [akLeft, akTop]\n  end\n"
             "  object hidden: TLabel\n    Visible = False\n    Caption = 'x'\n  end\n");
        auto* box = find<TEdit>("box");
        QCOMPARE(box->geometry(), QRect(10, 20, 55, 21));
        QCOMPARE(Kav::colorOf(box), QString("clInfoBk"));
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->toolTip(), QString("Código"));
        QCOMPARE(Kav::layoutTabOrder(box), 3);
        QCOMPARE(box->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(box->font().family(), QString("MS Sans Serif"));
        QCOMPARE(box->font().pixelSize(), 11);
        QVERIFY(box->font().bold() && box->font().italic() && !box->font().underline());
        QVERIFY(find<TLabel>("hidden")->isHidden());
    }

    void wrongSharedValuesAreLayoutErrors_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("words");
        QTest::newRow("font style") << "Font.Style = [fsBoldd]"
                                    << "fsBoldd is not a font style";
        QTest::newRow("colour") << "Color = clNoSuch"
                                << "unknown colour clNoSuch";
        QTest::newRow("alignment") << "Align = alMiddle"
                                   << "alMiddle is not a value of property Align";
        QTest::newRow("width as text") << "Width = '55'"
                                       << "Width takes an integer";
        QTest::newRow("popup that is no menu") << "PopupMenu = box"
                                               << "box is not a popup menu";
        QTest::newRow("font part") << "Font.Weight = 700"
                                   << "no font property Weight";
    }
    void wrongSharedValuesAreLayoutErrors()
    {
        QFETCH(QString, property);
        QFETCH(QString, words);
        try {
            load("  object box: TEdit\n    " + property + "\n  end\n");
            QFAIL("accepted");
        } catch (const Kav::LayoutError& error) {
            QCOMPARE(error.line(), 3);
            QVERIFY2(error.text().contains(words), qPrintable(error.message()));
        }
    }

    void optionsFireOnClickAsTheyChange()
    {
        // The layout's own values fire nothing, though the handlers are bound first.
        load("  object yes: TRadioButton\n    OnClick = clicked\n    Checked = True\n  end\n"
             "  object no: TRadioButton\n    OnClick = clicked\n  end\n"
             "  object flag: TCheckBox\n    OnClick = clicked\n    Checked = True\n  end\n");
        QVERIFY(holder->calls.isEmpty());
        holder->show();
        auto* yes = find<TRadioButton>("yes");
        auto* no = find<TRadioButton>("no");
        QTest::mouseClick(no, Qt::LeftButton);
        QTest::mouseClick(no, Qt::LeftButton); // already checked: no second click event
        yes->setChecked(true);                 // by code, as a handler would
        find<TCheckBox>("flag")->setChecked(false);
        QTest::mouseClick(find<TCheckBox>("flag"), Qt::LeftButton);
        QCOMPARE(holder->calls, QStringList({"click no", "click yes", "click flag", "click flag"}));
    }

    void comboChangesOnlyWhenTheUserChooses()
    {
        load("  object combo: TComboBox\n    Style = csDropDownList\n    Items.Strings = (\n      'Um'\n"
             "      'Dois')\n    OnChange = changed\n  end\n");
        auto* combo = find<TComboBox>("combo");
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->currentIndex(), -1);
        combo->setCurrentIndex(0);
        QVERIFY(holder->calls.isEmpty());
        combo->selectAsUser(1);
        QCOMPARE(combo->currentText(), QString("Dois"));
        QCOMPARE(holder->calls, QStringList({"change combo"}));
    }

    void editsChangeWithEveryText()
    {
        load("  object edit: TEdit\n    Text = 'a'\n    OnChange = changed\n  end\n");
        auto* edit = find<TEdit>("edit");
        QCOMPARE(edit->text(), QString("a"));
        edit->setText("b");
        edit->setText("b");
        QCOMPARE(holder->calls, QStringList({"change edit"}));
    }

    void commandButtonClickIgnoresEnabledStateButMouseDoesNot()
    {
        load("  object button: TSpeedButton\n    Caption = 'Sair'\n    Enabled = False\n    OnClick = "
             "clicked\n  end\n"
             "  object menu: TPopupMenu\n    object item: TMenuItem\n      Caption = 'Salvar como texto'\n"
             "      OnClick = clicked\n    end\n  end\n");
        holder->show();
        auto* button = find<TSpeedButton>("button");
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(holder->calls.isEmpty());
        button->Click();
        auto* item = find<TMenuItem>("item");
        QCOMPARE(find<QMenu>("menu")->actions(), QList<QAction*>({item}));
        item->trigger();
        QCOMPARE(holder->calls, QStringList({"click button", "click item"}));
    }

    void catalogueLooksUpByExactKey()
    {
        TMessages catalogue;
        catalogue.setMessages({"Um|primeiro|com barra", "um|minúsculo", "Dois|%s e %s"});
        QCOMPARE(catalogue.Msg("Um"), QString("primeiro|com barra"));
        QCOMPARE(catalogue.Msg("um"), QString("minúsculo"));
        QCOMPARE(catalogue.Msg("Tres"), QString("Tres"));
        QCOMPARE(TMessages::Format(catalogue.Msg("Dois"), {"a"}), QString("a e "));
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, catalogue.loadFromFile("/nonexistent/msg.txt"));
        QCOMPARE(catalogue.messages().size(), 3); // a failed load keeps the catalogue
    }

    void saveDialogAsksTheDialogService()
    {
        TSaveDialog dialog;
        dialog.setProperty("Filter", "Texto|*.txt|Planilha|*.csv;*.txt");
        dialog.setProperty("DefaultExt", "txt");
        QCOMPARE(dialog.qtFilter(), QString("Texto (*.txt);;Planilha (*.csv *.txt)"));
        TestClientContext context;
        auto& dialogs = context.dialogs();
        dialogs.queueAnswer(Kav::DialogKind::File, "/tmp/relatorio");
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.fileName(), QString("/tmp/relatorio.txt"));
        dialogs.queueAnswer(Kav::DialogKind::File, "cancel");
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.fileName(), QString("/tmp/relatorio.txt"));
    }
};

QTEST_MAIN(TstControls)
#include "tst_controls.moc"
