#pragma once
// A command button that takes no focus (the focus stays in the box being edited); Click fires
// OnClick as a mouse click does, whatever the enabled state.

#include <QToolButton>

class TSpeedButton : public QToolButton
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick")
    Q_PROPERTY(QString Caption READ text WRITE setCaption)
    Q_PROPERTY(bool Flat READ autoRaise WRITE setAutoRaise)
    // An image file's bytes (PNG, BMP...); several glyphs side by side, the first one shown.
    Q_PROPERTY(QByteArray Glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    const QByteArray& glyph() const { return m_glyph; }
    void setGlyph(const QByteArray& data);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);

    Q_INVOKABLE void Click();

private:
    void updateIcon();

    QByteArray m_glyph;
    int m_numGlyphs = 1;
};
