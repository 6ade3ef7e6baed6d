#pragma once
// The window that shows a laid-out report on screen: one page at a time, zoom (fixed, whole
// page or page width, the last choice kept for the next preview), the paging keys and wheel of
// any document viewer (Page Down walks a page taller than the window to its bottom before
// turning), and a print button. It takes the room the screen gives it, or the size the user
// left the last preview at. It can
// open on a report still being laid out: the pages arrive one after the other, the count reads
// "?" until the last one is there, and printing waits for it (its totals must be exact).

#include "PreviewWindowZoom.h"

#include "PageModel.h"

#include <functional>
#include <QDialog>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;
class QPushButton;

namespace Qr {

class PreviewPage;

class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    enum class Pages { All, Arriving };

    // Arriving: `model` holds the pages laid out so far (none, or a few), addPages brings more and
    // finishPages the whole report.
    PreviewWindow(const PageModel& model, std::function<void()> print, QWidget* parent = nullptr,
                  Pages pages = Pages::All);

    void addPages(const QList<Page>& pages);
    void finishPages(const PageModel& model);
    bool hasAllPages() const { return m_hasAllPages; }

    int currentPage() const { return m_page; } // 0-based
    int pageCount() const;
    double zoom() const;
    PreviewWindowZoom zoomChoice() const { return m_zoomChoice; }

    // The zoom the next preview opens with (kept in the user's settings).
    static PreviewWindowZoom rememberedZoom();

public slots:
    void showPage(int page);
    void nextPage() { showPage(m_page + 1); }
    void previousPage() { showPage(m_page - 1); }
    void firstPage() { showPage(0); }
    // While the pages are still arriving, the last one is shown as soon as the report is laid out.
    void lastPage();
    void setZoom(double zoom);
    void setZoomChoice(const PreviewWindowZoom& choice);

    // Keeps the window's size for the next preview.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* addButton(const QString& text, const QString& name, const QString& toolTip);
    void fillZoomBox();
    void fitToScreen();
    void applyZoom();
    bool pageByKey(int key, Qt::KeyboardModifiers modifiers);
    bool pageByWheel(int delta);
    void scrollOrTurn(bool down);
    void screenfulOrTurn(bool down);
    void moveOrTurn(bool down, int step);
    void updateControls();
    void print();

    PageModel m_model;
    bool m_hasAllPages = true;
    bool m_lastPageAsked = false; // End pressed before the page count was known
    std::function<void()> m_print;
    int m_page = 0;
    PreviewWindowZoom m_zoomChoice;
    PreviewPage* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_pageLabel = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QPushButton* m_printButton = nullptr;
};

} // namespace Qr
