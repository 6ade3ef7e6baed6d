#include "PreviewWindow.h"

#include "PageModel.h"
#include "PreviewPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <utility>

namespace Qr {

namespace {

constexpr double kZoomFactors[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0};
constexpr double kPercent = 100.0;
// The share of the screen's free area the window takes the first time, and at most later.
constexpr double kScreenShare = 0.92;
// Where no screen is known (none is attached yet).
constexpr QSize kFallbackSize(900, 1000);
const QString kSizeSetting = QStringLiteral("Preview/Size");
// Room kept around the sheet when it is fitted to the window.
constexpr int kFitMargin = 8;
const QString kZoomSetting = QStringLiteral("Preview/Zoom");
// Lines one arrow key or one wheel notch scrolls the sheet.
constexpr int kLinesPerStep = 3;

} // namespace

PreviewWindow::PreviewWindow(const PageModel& model, std::function<void()> print, QWidget* parent,
                             Pages pages)
    : QDialog(parent), m_model(model), m_hasAllPages(pages == Pages::All), m_print(std::move(print)),
      m_zoomChoice(rememberedZoom())
{
    setWindowTitle(QStringLiteral("Visualizar - %1").arg(model.title));
    setObjectName(QStringLiteral("frmPreview"));

    m_first = addButton(QStringLiteral("|<"), QStringLiteral("btnPrimeira"),
                        QStringLiteral("Primeira página (Home)"));
    m_previous = addButton(QStringLiteral("<"), QStringLiteral("btnAnterior"),
                           QStringLiteral("Página anterior (Page Up)"));
    m_next = addButton(QStringLiteral(">"), QStringLiteral("btnProxima"),
                       QStringLiteral("Próxima página (Page Down, Espaço)"));
    m_last =
        addButton(QStringLiteral(">|"), QStringLiteral("btnUltima"), QStringLiteral("Última página (End)"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPagina"));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("cbbZoom"));
    m_zoom->setToolTip(QStringLiteral("Zoom (Ctrl++ aumenta, Ctrl+- diminui)"));
    fillZoomBox();
    m_printButton = new QPushButton(QStringLiteral("Imprimir"), this);
    m_printButton->setObjectName(QStringLiteral("btnImprimir"));
    auto* closeButton = new QPushButton(QStringLiteral("Fechar"), this);
    closeButton->setObjectName(QStringLiteral("btnFechar"));
    closeButton->setToolTip(QStringLiteral("Fechar a visualização (Esc)"));

    auto* bar = new QHBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(m_first), static_cast<QWidget*>(m_previous),
                            static_cast<QWidget*>(m_pageLabel), static_cast<QWidget*>(m_next),
                            static_cast<QWidget*>(m_last), static_cast<QWidget*>(m_zoom)})
        bar->addWidget(widget);
    bar->addStretch();
    bar->addWidget(m_printButton);
    bar->addWidget(closeButton);

    m_view = new PreviewPage(m_model, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    // Paging keys and the wheel are the window's wherever the focus is, the zoom box included.
    for (QObject* watched : {static_cast<QObject*>(m_scroll), static_cast<QObject*>(m_scroll->viewport()),
                             static_cast<QObject*>(m_zoom), static_cast<QObject*>(m_view)})
        watched->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll);
    fitToScreen();

    connect(m_first, &QToolButton::clicked, this, &PreviewWindow::firstPage);
    connect(m_previous, &QToolButton::clicked, this, &PreviewWindow::previousPage);
    connect(m_next, &QToolButton::clicked, this, &PreviewWindow::nextPage);
    connect(m_last, &QToolButton::clicked, this, &PreviewWindow::lastPage);
    connect(m_zoom, &QComboBox::activated, this, [this](int index) {
        setZoomChoice(PreviewWindowZoom::fromText(m_zoom->itemData(index).toString()));
        m_scroll->setFocus(); // the paging keys page again, they do not change the zoom
    });
    connect(m_printButton, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    const auto stepZoom = [this](int step) {
        const int index = std::clamp(m_zoom->currentIndex() + step, 0, m_zoom->count() - 1);
        setZoomChoice(PreviewWindowZoom::fromText(m_zoom->itemData(index).toString()));
    };
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this,
            [stepZoom] { stepZoom(1); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this,
            [stepZoom] { stepZoom(-1); });
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &PreviewWindow::print);

    setZoomChoice(m_zoomChoice);
    showPage(0);
    m_scroll->setFocus();
}

QToolButton* PreviewWindow::addButton(const QString& text, const QString& name, const QString& toolTip)
{
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void PreviewWindow::fillZoomBox()
{
    m_zoom->addItem(QStringLiteral("Página inteira"), PreviewWindowZoom::wholePage().toText());
    m_zoom->addItem(QStringLiteral("Largura da página"), PreviewWindowZoom::pageWidth().toText());
    for (double factor : kZoomFactors)
        m_zoom->addItem(QStringLiteral("%1%").arg(qRound(factor * kPercent)),
                        PreviewWindowZoom::fixed(factor).toText());
}

// The room the screen gives, or the size the user left the last preview at, within that room.
void PreviewWindow::fitToScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QSize room = screen ? (QSizeF(screen->availableSize()) * kScreenShare).toSize() : kFallbackSize;
    const QSize left = QSettings().value(kSizeSetting).toSize();
    resize(left.isValid() ? left.boundedTo(room) : room);
}

void PreviewWindow::done(int result)
{
    QSettings().setValue(kSizeSetting, size());
    QDialog::done(result);
}

PreviewWindowZoom PreviewWindow::rememberedZoom()
{
    return PreviewWindowZoom::fromText(QSettings().value(kZoomSetting).toString());
}

int PreviewWindow::pageCount() const
{
    return int(m_model.pages.size());
}

double PreviewWindow::zoom() const
{
    return m_view->zoom();
}

void PreviewWindow::showPage(int page)
{
    m_lastPageAsked = false; // a page chosen by hand overrides an End still pending
    m_page = std::clamp(page, 0, std::max(pageCount() - 1, 0));
    m_view->setPage(m_page);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void PreviewWindow::setZoom(double zoom)
{
    setZoomChoice(PreviewWindowZoom::fixed(zoom));
}

void PreviewWindow::setZoomChoice(const PreviewWindowZoom& choice)
{
    m_zoomChoice = choice;
    QSettings().setValue(kZoomSetting, choice.toText());
    const int index = m_zoom->findData(choice.toText());
    if (index >= 0 && index != m_zoom->currentIndex())
        m_zoom->setCurrentIndex(index);
    applyZoom();
}

void PreviewWindow::applyZoom()
{
    const QSizeF sheetAtOne = QSizeF(m_view->size()) / m_view->zoom();
    // The width fit leaves room for the vertical scroll bar it will need.
    const int scrollBar = m_zoomChoice.mode == PreviewWindowZoom::Mode::PageWidth
                              ? m_scroll->verticalScrollBar()->sizeHint().width()
                              : 0;
    const QSizeF room(m_scroll->width() - scrollBar - 2 * kFitMargin, m_scroll->height() - 2 * kFitMargin);
    m_view->setZoom(m_zoomChoice.factorFor(sheetAtOne, room));
}

void PreviewWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_zoomChoice.mode != PreviewWindowZoom::Mode::Fixed)
        applyZoom();
}

void PreviewWindow::addPages(const QList<Page>& pages)
{
    const int before = pageCount();
    m_model.pages.append(pages);
    if (m_page >= before)
        m_view->update(); // the page shown was still blank
    updateControls();
}

void PreviewWindow::finishPages(const PageModel& model)
{
    m_model = model;
    m_hasAllPages = true;
    m_page = std::clamp(m_page, 0, std::max(pageCount() - 1, 0));
    m_view->update(); // its "page of pages" now has the count
    if (std::exchange(m_lastPageAsked, false))
        lastPage();
    updateControls();
}

void PreviewWindow::lastPage()
{
    // Which page is the last is known only once the report is laid out: until then End is kept.
    if (!m_hasAllPages) {
        m_lastPageAsked = true;
        updateControls();
        return;
    }
    showPage(pageCount() - 1);
}

void PreviewWindow::print()
{
    if (m_print && m_hasAllPages)
        m_print();
}

void PreviewWindow::updateControls()
{
    if (pageCount() == 0 && !m_hasAllPages)
        m_pageLabel->setText(QStringLiteral("Montando as páginas..."));
    else
        m_pageLabel->setText(QStringLiteral("Página %1 de %2")
                                 .arg(m_page + 1)
                                 .arg(m_hasAllPages ? QString::number(pageCount()) : QStringLiteral("?")));
    m_printButton->setEnabled(m_print && m_hasAllPages);
    m_printButton->setToolTip(m_hasAllPages || !m_print
                                  ? QStringLiteral("Imprimir o relatório (Ctrl+P)")
                                  : QStringLiteral("Imprimir: disponível quando todas as páginas estiverem "
                                                   "montadas"));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < pageCount());
    m_last->setEnabled((m_page + 1 < pageCount() || !m_hasAllPages) && !m_lastPageAsked);
    if (m_lastPageAsked)
        m_pageLabel->setText(m_pageLabel->text() + QStringLiteral(" (indo para a última)"));
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (pageByKey(key->key(), key->modifiers()))
            return true;
    } else if (event->type() == QEvent::Wheel && watched != m_zoom) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier) && pageByWheel(wheel->angleDelta().y()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    if (!pageByKey(event->key(), event->modifiers()))
        QDialog::keyPressEvent(event);
}

bool PreviewWindow::pageByKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_PageDown:
        screenfulOrTurn(true);
        return true;
    case Qt::Key_Space:
        screenfulOrTurn(!(modifiers & Qt::ShiftModifier));
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        screenfulOrTurn(false);
        return true;
    case Qt::Key_Right:
        nextPage();
        return true;
    case Qt::Key_Left:
        previousPage();
        return true;
    case Qt::Key_Home:
        firstPage();
        return true;
    case Qt::Key_End:
        lastPage();
        return true;
    case Qt::Key_Down:
        scrollOrTurn(true);
        return true;
    case Qt::Key_Up:
        scrollOrTurn(false);
        return true;
    default:
        return false;
    }
}

bool PreviewWindow::pageByWheel(int delta)
{
    if (delta == 0)
        return false;
    scrollOrTurn(delta < 0);
    return true;
}

// Down and up scroll the sheet a few lines; past its end they turn to the next or previous page,
// as a document viewer does.
void PreviewWindow::scrollOrTurn(bool down)
{
    moveOrTurn(down, m_scroll->verticalScrollBar()->singleStep() * kLinesPerStep);
}

// Page Down and Space show the next screenful of the sheet, its bottom included, before the next
// page; Page Up walks back the same way, entering the previous page at its bottom.
void PreviewWindow::screenfulOrTurn(bool down)
{
    moveOrTurn(down, m_scroll->verticalScrollBar()->pageStep());
}

void PreviewWindow::moveOrTurn(bool down, int step)
{
    QScrollBar* bar = m_scroll->verticalScrollBar();
    if (down && bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + step);
    } else if (!down && bar->value() > bar->minimum()) {
        bar->setValue(bar->value() - step);
    } else if (down && m_page + 1 < pageCount()) {
        nextPage();
    } else if (!down && m_page > 0) {
        previousPage();
        bar->setValue(bar->maximum());
    }
}

} // namespace Qr
