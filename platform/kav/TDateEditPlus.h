#pragma once
// A date box that shows its date as dd/mm/yyyy followed by the name of the week day, draws
// valid dates in their own colour, and whose text is empty once cleared.

#include <QColor>
#include <QDateTime>
#include <QLineEdit>
#include <QStringList>

class TDateEditPlus : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QColor ValidDateColor READ validDateColor WRITE setValidDateColor)
    // Seven names, Sunday first.
    Q_PROPERTY(QStringList NomeSemana READ nomeSemana WRITE setNomeSemana)
    // Whether the time of the date-time given to SetDate is kept; otherwise dates are midnight.
    Q_PROPERTY(bool SaveTime READ saveTime WRITE setSaveTime)
    Q_PROPERTY(QDateTime Date READ GetDate WRITE SetDate)
public:
    static const QString kFormat;

    explicit TDateEditPlus(QWidget* parent = nullptr);

    const QColor& validDateColor() const { return m_validDateColor; }
    void setValidDateColor(const QColor& colour);
    const QStringList& nomeSemana() const { return m_nomeSemana; }
    void setNomeSemana(const QStringList& names);
    bool saveTime() const { return m_saveTime; }
    void setSaveTime(bool save) { m_saveTime = save; }

    // A null date-time while the text holds no valid date.
    Q_INVOKABLE QDateTime GetDate() const;
    // A null or invalid date-time clears the box.
    Q_INVOKABLE void SetDate(const QDateTime& date);
    Q_INVOKABLE void Clear() { clear(); }

    // The week-day name shown beside the date; empty when the text holds no valid date.
    QString weekDayName() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QDate parsedDate() const;
    void normaliseTypedText();
    void refreshLook();

    QColor m_validDateColor = Qt::blue;
    QStringList m_nomeSemana;
    bool m_saveTime = false;
    QTime m_savedTime;
};
