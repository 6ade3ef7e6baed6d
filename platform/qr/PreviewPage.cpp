#include "PreviewPage.h"

#include <QPainter>

namespace Qr {

namespace {
constexpr double kPreviewMmPerInch = 25.4;
}

PreviewPage::PreviewPage(const PageModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_painter(model)
{
    setZoom(1.0);
}

double PreviewPage::pixelsPerMm() const
{
    return logicalDpiX() / kPreviewMmPerInch * m_zoom;
}

void PreviewPage::setPage(int page)
{
    m_page = page;
    update();
}

void PreviewPage::setZoom(double zoom)
{
    m_zoom = zoom;
    const QSizeF sheet = m_model.page.pageSizeMm() * pixelsPerMm();
    setFixedSize(sheet.toSize());
    update();
}

void PreviewPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_page >= 0 && m_page < m_model.pages.size())
        m_painter.paint(painter, m_model.pages[m_page], pixelsPerMm());
}

} // namespace Qr
