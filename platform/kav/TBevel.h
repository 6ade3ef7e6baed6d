#pragma once
// A drawn box, frame or line that separates parts of a form; it takes no input.

#include <QWidget>

class TBevel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(BevelShape Shape READ shape WRITE setShape)
    Q_PROPERTY(BevelStyle Style READ bevelStyle WRITE setBevelStyle)
public:
    enum BevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
    Q_ENUM(BevelShape)
    enum BevelStyle { bsLowered, bsRaised };
    Q_ENUM(BevelStyle)

    explicit TBevel(QWidget* parent = nullptr);

    BevelShape shape() const { return m_shape; }
    void setShape(BevelShape shape);
    BevelStyle bevelStyle() const { return m_style; }
    void setBevelStyle(BevelStyle style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BevelShape m_shape = bsBox;
    BevelStyle m_style = bsLowered;
};
