#pragma once
// The window that shows a laid-out report on screen: one page at a time, zoom, page navigation
// and a print button.

#include <functional>
#include <QDialog>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;
struct PageModel;
class PreviewPage;

class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    PreviewWindow(const PageModel& model, std::function<void()> print, QWidget* parent = nullptr);

    int currentPage() const { return m_page; } // 0-based
    int pageCount() const;
    double zoom() const;

public slots:
    void showPage(int page);
    void nextPage() { showPage(m_page + 1); }
    void previousPage() { showPage(m_page - 1); }
    void firstPage() { showPage(0); }
    void lastPage() { showPage(pageCount() - 1); }
    void setZoom(double zoom);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateControls();

    const PageModel& m_model;
    int m_page = 0;
    PreviewPage* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_pageLabel = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
};
