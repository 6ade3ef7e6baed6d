#include "BusyIndicator.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace {
constexpr int kFrameMs = 80;
constexpr int kSpokes = 12;
constexpr int kSpinnerRadius = 22;
constexpr int kSpokeLength = 10;
constexpr int kSpokeWidth = 4;
constexpr int kVeilAlpha = 60;
constexpr int kFullCircle = 360;
} // namespace

BusyIndicator::BusyIndicator(QWidget* window) : QWidget(window)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::WaitCursor);
    hide();
    window->installEventFilter(this);
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        ++m_frame;
        update();
    });
}

void BusyIndicator::start(int kind)
{
    m_kind = kind;
    m_frame = 0;
    setGeometry(parentWidget()->rect());
    raise();
    show();
    m_timer.start();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    hide();
}

bool BusyIndicator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, kVeilAlpha));
    painter.translate(rect().center());
    // One spoke per step, the brightest one moving a step each frame.
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        const int age = (spoke - m_frame % kSpokes + kSpokes) % kSpokes;
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlphaF(1.0 - qreal(age) / kSpokes);
        painter.setPen(QPen(colour, kSpokeWidth, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(qreal(kFullCircle) * spoke / kSpokes);
        painter.drawLine(QPointF(0, -kSpinnerRadius), QPointF(0, -kSpinnerRadius + kSpokeLength));
        painter.restore();
    }
}

// The window takes no clicks while the operation runs.
void BusyIndicator::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void BusyIndicator::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void BusyIndicator::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void BusyIndicator::wheelEvent(QWheelEvent* event)
{
    event->accept();
}
