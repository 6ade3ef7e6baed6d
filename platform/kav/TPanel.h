#pragma once
// A container with an optional raised or lowered bevel and a centred caption.

#include <QFrame>

class TPanel : public QFrame
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick OnEnter OnExit")
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(BevelCut BevelOuter READ bevelOuter WRITE setBevelOuter)
    Q_PROPERTY(BevelCut BevelInner READ bevelInner WRITE setBevelInner)
public:
    enum BevelCut { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(BevelCut)

    explicit TPanel(QWidget* parent = nullptr);

    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption);
    BevelCut bevelOuter() const { return m_outer; }
    void setBevelOuter(BevelCut cut);
    BevelCut bevelInner() const { return m_inner; }
    void setBevelInner(BevelCut cut);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateFrame();

    QString m_caption;
    BevelCut m_outer = bvRaised;
    BevelCut m_inner = bvNone;
};
