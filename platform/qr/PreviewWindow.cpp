#include "PreviewWindow.h"

#include "PageModel.h"
#include "PreviewPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kZoomPercents[] = {50, 75, 100, 125, 150, 200};
constexpr int kDefaultZoomPercent = 100;
constexpr double kPercent = 100.0;
// Where the window opens: enough for a portrait A4 sheet at 100 % on a common screen.
constexpr QSize kInitialSize(900, 1000);

} // namespace

PreviewWindow::PreviewWindow(const PageModel& model, std::function<void()> print, QWidget* parent)
    : QDialog(parent), m_model(model)
{
    setWindowTitle(QStringLiteral("Visualizar - %1").arg(model.title));
    setObjectName(QStringLiteral("frmPreview"));

    const auto button = [this](const QString& text, const QString& name) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setObjectName(name);
        return b;
    };
    m_first = button(QStringLiteral("|<"), QStringLiteral("btnPrimeira"));
    m_previous = button(QStringLiteral("<"), QStringLiteral("btnAnterior"));
    m_next = button(QStringLiteral(">"), QStringLiteral("btnProxima"));
    m_last = button(QStringLiteral(">|"), QStringLiteral("btnUltima"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPagina"));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("cbbZoom"));
    for (int percent : kZoomPercents)
        m_zoom->addItem(QStringLiteral("%1%").arg(percent), percent / kPercent);
    auto* printButton = new QPushButton(QStringLiteral("Imprimir"), this);
    printButton->setObjectName(QStringLiteral("btnImprimir"));
    printButton->setEnabled(bool(print));
    auto* closeButton = new QPushButton(QStringLiteral("Fechar"), this);
    closeButton->setObjectName(QStringLiteral("btnFechar"));

    auto* bar = new QHBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(m_first), static_cast<QWidget*>(m_previous),
                            static_cast<QWidget*>(m_pageLabel), static_cast<QWidget*>(m_next),
                            static_cast<QWidget*>(m_last), static_cast<QWidget*>(m_zoom)})
        bar->addWidget(widget);
    bar->addStretch();
    bar->addWidget(printButton);
    bar->addWidget(closeButton);

    m_view = new PreviewPage(model, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll);
    resize(kInitialSize);

    connect(m_first, &QToolButton::clicked, this, &PreviewWindow::firstPage);
    connect(m_previous, &QToolButton::clicked, this, &PreviewWindow::previousPage);
    connect(m_next, &QToolButton::clicked, this, &PreviewWindow::nextPage);
    connect(m_last, &QToolButton::clicked, this, &PreviewWindow::lastPage);
    connect(m_zoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoom(m_zoom->itemData(index).toDouble()); });
    connect(printButton, &QPushButton::clicked, this, [print] { print(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    m_zoom->setCurrentIndex(m_zoom->findData(kDefaultZoomPercent / kPercent));
    showPage(0);
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
    m_page = std::clamp(page, 0, std::max(pageCount() - 1, 0));
    m_view->setPage(m_page);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void PreviewWindow::setZoom(double zoom)
{
    m_view->setZoom(zoom);
    const int index = m_zoom->findData(zoom);
    if (index >= 0 && index != m_zoom->currentIndex())
        m_zoom->setCurrentIndex(index);
}

void PreviewWindow::updateControls()
{
    m_pageLabel->setText(QStringLiteral("Página %1 de %2").arg(m_page + 1).arg(pageCount()));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < pageCount());
    m_last->setEnabled(m_page + 1 < pageCount());
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        nextPage();
        break;
    case Qt::Key_PageUp:
        previousPage();
        break;
    case Qt::Key_Home:
        firstPage();
        break;
    case Qt::Key_End:
        lastPage();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}
