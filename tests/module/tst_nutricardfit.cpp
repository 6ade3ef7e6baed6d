// The screen on common small screens: the host's main window fits them, and every control of the
// screen can be reached there, shown whole or scrolled to.
#include "Cli_Zve41300.h"
#include "DemoDatabase.h"
#include "FormFactory.h"
#include "HostMainWindow.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"

#include <optional>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollBar>
#include <QtTest>

using namespace Kav::Host;

using Cli_Zve41300::frmNutriCard;

namespace {

// The controls a person works with: what takes input or a click.
QList<QWidget*> workingControls(QWidget* form)
{
    QList<QWidget*> controls;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        const bool works = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                           qobject_cast<QComboBox*>(widget);
        if (works && widget->isVisibleTo(form) && !widget->objectName().isEmpty() &&
            !qobject_cast<QLineEdit*>(widget->parentWidget())) // a combo's or date edit's own editor
            controls << widget;
    }
    return controls;
}

QRect inView(QWidget* control, QMdiArea* area)
{
    return QRect(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
}

// Scrolls the area until `control` is in view, as a person would with the scroll bars.
void scrollTo(QWidget* control, QMdiArea* area)
{
    const QRect view = area->viewport()->rect();
    const QRect at = inView(control, area);
    QScrollBar* across = area->horizontalScrollBar();
    QScrollBar* down = area->verticalScrollBar();
    if (at.right() > view.right())
        across->setValue(across->value() + at.right() - view.right());
    if (at.left() < view.left())
        across->setValue(across->value() - (view.left() - at.left()));
    if (at.bottom() > view.bottom())
        down->setValue(down->value() + at.bottom() - view.bottom());
    if (at.top() < view.top())
        down->setValue(down->value() - (view.top() - at.top()));
}

} // namespace

class TstNutriCardFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<DemoDatabase> database;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        database = std::make_unique<DemoDatabase>();
        QVERIFY2(database->error().isEmpty(), qPrintable(database->error()));
    }

    void everyControlIsReachable_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("shownWhole");
        QTest::addRow("1024 x 600 netbook") << QSize(1024, 600) << true;
        QTest::addRow("1366 x 768 laptop") << QSize(1366, 768) << true;
        QTest::addRow("800 x 480, scrolled") << QSize(800, 480) << false;
    }

    void everyControlIsReachable()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, shownWhole);
        TestClientContext context(DemoDatabase::centralSession());
        database->openShared();
        HostMainWindow window(
            context.context(), QString(),
            QStringLiteral("Filial 0010 · servidor 127.0.0.1:8211 · banco "
                           "sqlite:///home/usuario/.local/share/kav/dados/demonstracao/demo.db"));
        const QSize size = HostMainWindow::initialSize(screen);
        QVERIFY(size.width() <= screen.width() && size.height() <= screen.height());
        // Resizable down to the screen, however long the status line.
        QVERIFY2(window.minimumSizeHint().width() <= size.width(),
                 qPrintable(QString::number(window.minimumSizeHint().width())));
        QVERIFY(window.minimumSizeHint().height() <= size.height());
        window.resize(size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), size);

        Frm::createForm(frmNutriCard, context.context(), Cli_Zve41300::unit);
        QVERIFY(frmNutriCard);
        const auto closeForm = qScopeGuard([] {
            if (frmNutriCard)
                frmNutriCard->Close();
        });
        QMdiArea* area = window.mdiArea();
        const QRect view = area->viewport()->rect();
        const QList<QWidget*> controls = workingControls(frmNutriCard);
        QVERIFY(controls.size() >= 25);
        for (QWidget* control : controls) {
            if (!shownWhole)
                scrollTo(control, area);
            QVERIFY2(view.contains(inView(control, area)),
                     qPrintable(QStringLiteral("%1 at %2,%3 outside %4 x %5")
                                    .arg(control->objectName())
                                    .arg(inView(control, area).x())
                                    .arg(inView(control, area).y())
                                    .arg(view.width())
                                    .arg(view.height())));
        }
    }
};

QTEST_MAIN(TstNutriCardFit)
#include "tst_nutricardfit.moc"
