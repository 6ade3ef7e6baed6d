#pragma once
// The sheet the preview window shows: one page of a laid-out report painted at a zoom factor.

#include "PagePainter.h"

#include <QWidget>

namespace Qr {

class PreviewPage : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPage(const PageModel& model, QWidget* parent = nullptr);

    void setPage(int page);
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double pixelsPerMm() const;

    const PageModel& m_model;
    PagePainter m_painter;
    int m_page = 0;
    double m_zoom = 1.0;
};

} // namespace Qr
