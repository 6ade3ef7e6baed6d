#pragma once
// The animated "busy" overlay laid over a window while a long operation runs; it keeps turning
// whenever the user-interface thread runs an event loop, and swallows the mouse meanwhile.

#include <QTimer>
#include <QWidget>

class BusyIndicator : public QWidget
{
    Q_OBJECT
public:
    // Covers `window` and follows its size.
    explicit BusyIndicator(QWidget* window);

    void start(int kind);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    int kind() const { return m_kind; }
    // Frames drawn since start; tells that the animation advances.
    int frame() const { return m_frame; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QTimer m_timer;
    int m_kind = 0;
    int m_frame = 0;
};
