// The progress window of long work shows its whole title: the report's name and the
// application's, which the window manager writes after it.
#include "ProgressWindow.h"

#include <QApplication>
#include <QProgressDialog>
#include <QtTest>

class TstProgressWindow : public QObject
{
    Q_OBJECT

private slots:
    void titleIsNotCut_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("short") << QStringLiteral("Resumo");
        QTest::newRow("a report's name") << QStringLiteral("Nutrientes por dia, serviço e prato");
        QTest::newRow("a long name") << QStringLiteral("Resumo semanal com valores de referência");
    }

    void titleIsNotCut()
    {
        QFETCH(QString, title);
        QApplication::setApplicationDisplayName(QStringLiteral("Kav Alimentação Escolar"));
        QWidget parent;
        parent.show();
        Kav::ProgressWindow window(&parent, title);
        QVERIFY(window.show(QStringLiteral("Montando as páginas..."), 1, 10));
        auto* dialog = parent.findChild<QProgressDialog*>();
        QVERIFY(dialog);
        const QString shown = title + QStringLiteral(" — ") + QApplication::applicationDisplayName();
        QVERIFY2(dialog->minimumWidth() > dialog->fontMetrics().horizontalAdvance(shown),
                 qPrintable(QString::number(dialog->minimumWidth())));
    }
};

QTEST_MAIN(TstProgressWindow)
#include "tst_progresswindow.moc"
