#pragma once
// Drives the screen as a user does, for the screen's tests: opens it through the package's
// factory, types into boxes, moves the focus (so leave events fire), clicks, answers the lookup
// and list dialogs, and reads back the messages shown. The test makes the client context the
// screen opens in (TestClientContext); the driver answers through its dialog service.

#include "Cli_Zve41300.h"
#include "ClientContext.h"
#include "ScriptedDialogService.h"
#include "TBtnPesquisa.h"
#include "TfrmNutriCard.h"
#include "TMaskEdit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QtTest>

class ScreenDriver
{
public:
    // The current context's dialog service, which a test's own context answers beforehand.
    static Kav::ScriptedDialogService& dialogs()
    {
        auto* scripted = qobject_cast<Kav::ScriptedDialogService*>(&Kav::dialogs());
        if (!scripted)
            qFatal("the screen's tests answer its dialogs beforehand: make a TestClientContext");
        return *scripted;
    }

    // Opens the screen as the menu entry does; null when it refused to start.
    TfrmNutriCard* open()
    {
        dialogs().clearMessages();
        dialogs().clearAnswers();
        // The test's context, handed to the package as the host hands its own.
        AttachClientContext(&Kav::ClientContext::current());
        Cli_Zve41300::CriaNutriCard();
        TfrmNutriCard* form = Cli_Zve41300::frmNutriCard;
        if (form && !QTest::qWaitForWindowActive(form))
            return nullptr;
        return form;
    }

    static void close()
    {
        if (TfrmNutriCard* form = Cli_Zve41300::frmNutriCard)
            form->Close();
        QTest::qWait(0); // the closed form is deleted
    }

    // Focuses the box and types `text` key by key over what it held.
    static void type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        if (auto* masked = qobject_cast<TMaskEdit*>(edit)) {
            masked->clear();
            masked->home(false);
        }
        QTest::keyClicks(edit, text);
    }

    // Moves the focus to `control` as a click would: the leave events of the one left fire.
    static void focus(QWidget* control) { control->setFocus(Qt::MouseFocusReason); }

    // A left click on a button, a radio button or a check box, as the user gives it.
    static void click(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, clickPoint(button));
    }

    static void answerLookup(const QString& answer)
    {
        dialogs().queueAnswer(Kav::DialogKind::Lookup, answer);
    }

    // Chooses the menu type, then one of its registered menu periods, through their lookups.
    static void chooseTypeAndPeriod(TfrmNutriCard* form, const QString& type, const QString& period)
    {
        answerLookup("CDTIPOCARD=" + type);
        click(form->btpTipoCard);
        answerLookup("NRCARDZVE=" + period);
        click(form->btpPeriodo);
    }
    static void answerList(const QString& answer) { dialogs().queueAnswer(Kav::DialogKind::List, answer); }
    static void answerFile(const QString& path) { dialogs().queueAnswer(Kav::DialogKind::File, path); }

    static QStringList messages() { return dialogs().shownMessages(); }
    static void clearMessages() { dialogs().clearMessages(); }

    static QWidget* focused() { return QApplication::focusWidget(); }

private:
    // On the indicator of a check box or radio button, where the user clicks it.
    static QPoint clickPoint(QAbstractButton* button)
    {
        if (button->inherits("QCheckBox") || button->inherits("QRadioButton"))
            return QPoint(button->height() / 2, button->height() / 2);
        return button->rect().center();
    }
};
