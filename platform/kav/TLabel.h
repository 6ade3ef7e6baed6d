#pragma once
// A caption on a form; with AutoSize a caption set at run time resizes it to fit its text.

#include <QLabel>

class TLabel : public QLabel
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick")
    Q_PROPERTY(QString Caption READ text WRITE setCaption)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
public:
    explicit TLabel(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool transparent() const { return !autoFillBackground(); }
    void setTransparent(bool transparent) { setAutoFillBackground(!transparent); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitText();

    bool m_autoSize = true;
};
