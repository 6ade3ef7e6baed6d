#pragma once
// A flat push button that takes no focus and fires its bound "OnClick" handler; without a
// caption it shows the search glyph, as the screens' search buttons do.

#include <QToolButton>

class TButtonFlat : public QToolButton
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick")
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
public:
    explicit TButtonFlat(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption);

private:
    void showGlyphWhenNoCaption();
};
