// Paging in the preview as in a document viewer: Page Down and Space show every screenful of a
// page taller than the window, its bottom included, before turning to the next page; Page Up and
// Shift+Space walk back, entering the previous page at its bottom. End pressed while the pages
// are still being laid out goes to the last page once it is known.

#include "PageModel.h"
#include "PreviewWindow.h"

#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QtTest>

using namespace Qr;

namespace {

constexpr int kPages = 3;
constexpr double kA4Height = 297;
// Enough presses to walk every page at the largest zoom tried; more means the paging is stuck.
constexpr int kMostPresses = 200;

// Pages with a line at the top and one at the very bottom ("Total do dia" stands there).
PageModel pages(int count)
{
    PageModel model;
    model.title = QStringLiteral("Nutrientes");
    model.fontFamily = QStringLiteral("DejaVu Sans");
    model.fontSize = 8;
    for (int p = 0; p < count; ++p) {
        Page page;
        for (const auto& [y, value] : {std::pair{10.0, QStringLiteral("Cabeçalho %1").arg(p + 1)},
                                       std::pair{kA4Height - 15, QStringLiteral("Total do dia")}}) {
            PageItem item;
            item.rect = QRectF(10, y, 60, 5);
            item.text = value;
            item.band = p * 2 + (y > 100 ? 1 : 0);
            page.items << item;
        }
        model.pages.append(page);
    }
    return model;
}

struct Position
{
    int page;
    int value;
};

} // namespace

class TstPreviewPaging : public QObject
{
    Q_OBJECT

    static QScrollBar* bar(PreviewWindow& window)
    {
        return window.findChild<QScrollArea*>()->verticalScrollBar();
    }

    static Position at(PreviewWindow& window) { return {window.currentPage(), bar(window)->value()}; }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void walksEachPageToItsBottomBeforeTheNext_data()
    {
        QTest::addColumn<int>("forward");
        QTest::addColumn<int>("backward");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("windowHeight");
        const int space = Qt::Key_Space;
        const int shiftSpace = (Qt::SHIFT | Qt::Key_Space).toCombined();
        QTest::addRow("Page Down, 100%%, short window")
            << int(Qt::Key_PageDown) << int(Qt::Key_PageUp) << 1.0 << 420;
        QTest::addRow("Page Down, 150%%, tall window")
            << int(Qt::Key_PageDown) << int(Qt::Key_PageUp) << 1.5 << 700;
        QTest::addRow("Space, 200%%, short window") << space << shiftSpace << 2.0 << 420;
        QTest::addRow("Space, 75%%, window just short of the sheet") << space << shiftSpace << 0.75 << 800;
    }

    void walksEachPageToItsBottomBeforeTheNext()
    {
        QFETCH(int, forward);
        QFETCH(int, backward);
        QFETCH(double, zoom);
        QFETCH(int, windowHeight);
        PreviewWindow window(pages(kPages), {});
        window.show();
        window.resize(700, windowHeight);
        window.setZoom(zoom);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(bar(window)->maximum() > 0, "the sheet must be taller than the window");
        const int screenful = window.findChild<QScrollArea*>()->viewport()->height();

        const auto press = [&window](int combined) {
            QTest::keyClick(&window, Qt::Key(combined & ~Qt::KeyboardModifierMask),
                            Qt::KeyboardModifiers(combined & Qt::KeyboardModifierMask));
        };
        // Forward from the top of the first page to the bottom of the last.
        QList<Position> seen{at(window)};
        for (int n = 0; n < kMostPresses &&
                        !(seen.last().page == kPages - 1 && seen.last().value == bar(window)->maximum());
             ++n) {
            press(forward);
            seen << at(window);
        }
        QCOMPARE(seen.last().page, kPages - 1);
        QCOMPARE(seen.last().value, bar(window)->maximum());
        for (int i = 1; i < seen.size(); ++i) {
            const Position before = seen[i - 1];
            const Position now = seen[i];
            if (now.page != before.page) {
                // A page is left only from its bottom, and the next is entered at its top.
                QCOMPARE(now.page, before.page + 1);
                QCOMPARE(before.value, bar(window)->maximum());
                QCOMPARE(now.value, 0);
            } else {
                // Each press shows the next screenful: nothing between two of them is skipped.
                QVERIFY(now.value > before.value);
                QVERIFY2(now.value - before.value <= screenful,
                         qPrintable(QStringLiteral("%1 -> %2").arg(before.value).arg(now.value)));
            }
        }

        // Backward: the previous page is entered at its bottom, then walked up to its top.
        press(backward);
        QCOMPARE(window.currentPage(), kPages - 1);
        QVERIFY(bar(window)->value() < bar(window)->maximum());
        while (bar(window)->value() > 0)
            press(backward);
        press(backward);
        QCOMPARE(window.currentPage(), kPages - 2);
        QCOMPARE(bar(window)->value(), bar(window)->maximum());
    }

    // The first preview takes the room the screen gives; the next opens at the size the user
    // left, within the screen.
    void previewTakesTheRoomAndRemembersItsSize()
    {
        QSettings().remove(QStringLiteral("Preview/Size"));
        const QSize room = (QSizeF(QGuiApplication::primaryScreen()->availableSize()) * 0.92).toSize();
        {
            PreviewWindow first(pages(1), {});
            QCOMPARE(first.size(), room);
            first.resize(room.width() - 117, room.height() - 31);
            first.accept();
        }
        PreviewWindow second(pages(1), {});
        QCOMPARE(second.size(), QSize(room.width() - 117, room.height() - 31));
        second.resize(room * 2); // larger than the screen: kept within it next time
        second.reject();
        PreviewWindow third(pages(1), {});
        QCOMPARE(third.size(), room);
    }

    // Right and Left still turn whole pages at once.
    void arrowsTurnWholePages()
    {
        PreviewWindow window(pages(kPages), {});
        window.show();
        window.resize(700, 420);
        window.setZoom(1.5);
        QTest::keyClick(&window, Qt::Key_Right);
        QCOMPARE(window.currentPage(), 1);
        QCOMPARE(bar(window)->value(), 0);
        QTest::keyClick(&window, Qt::Key_Left);
        QCOMPARE(window.currentPage(), 0);
    }

    void endWhileLayingOutGoesToTheLastPageOnceKnown_data()
    {
        QTest::addColumn<int>("pagesWhenPressed");
        QTest::addColumn<int>("pagesInTheEnd");
        QTest::addColumn<bool>("turnsByHandMeanwhile");
        QTest::addColumn<int>("expectedPage");
        QTest::addRow("one page shown, three in the end") << 1 << 3 << false << 2;
        QTest::addRow("two shown, seventeen in the end") << 2 << 17 << false << 16;
        QTest::addRow("none shown yet, one in the end") << 0 << 1 << false << 0;
        QTest::addRow("a page turned by hand cancels End") << 2 << 9 << true << 1;
    }

    void endWhileLayingOutGoesToTheLastPageOnceKnown()
    {
        QFETCH(int, pagesWhenPressed);
        QFETCH(int, pagesInTheEnd);
        QFETCH(bool, turnsByHandMeanwhile);
        QFETCH(int, expectedPage);
        const PageModel whole = pages(pagesInTheEnd);
        PageModel frame = whole;
        frame.pages = whole.pages.mid(0, pagesWhenPressed);
        PreviewWindow window(frame, {}, nullptr, PreviewWindow::Pages::Arriving);
        window.show();
        QTest::keyClick(&window, Qt::Key_End);
        QCOMPARE(window.currentPage(), 0);
        auto* label = window.findChild<QLabel*>(QStringLiteral("lblPagina"));
        QVERIFY2(label->text().contains(QStringLiteral("última")), qPrintable(label->text()));
        window.addPages(whole.pages.mid(pagesWhenPressed, 1));
        if (turnsByHandMeanwhile)
            QTest::keyClick(&window, Qt::Key_Right);
        window.finishPages(whole);
        QCOMPARE(window.currentPage(), expectedPage);
        QCOMPARE(label->text(), QStringLiteral("Página %1 de %2").arg(expectedPage + 1).arg(pagesInTheEnd));
    }
};

QTEST_MAIN(TstPreviewPaging)
#include "tst_previewpaging.moc"
