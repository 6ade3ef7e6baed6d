#include "TDateEditPlus.h"

#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
constexpr int kDaysInWeek = 7;
constexpr int kNamePadding = 4;
constexpr int kTypedDigitsLength = 8; // ddmmyyyy typed without separators

// What may be typed: up to ten characters of digits and slashes.
const QRegularExpression kTypingPattern(QStringLiteral("[0-9/]{0,10}"));
} // namespace

const QString TDateEditPlus::kFormat = QStringLiteral("dd/MM/yyyy");

TDateEditPlus::TDateEditPlus(QWidget* parent)
    : QLineEdit(parent),
      m_nomeSemana({QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                    QStringLiteral("Quarta"), QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                    QStringLiteral("Sábado")})
{
    setValidator(new QRegularExpressionValidator(kTypingPattern, this));
    setMaxLength(kFormat.size());
    connect(this, &QLineEdit::textChanged, this, [this] { refreshLook(); });
    connect(this, &QLineEdit::editingFinished, this, [this] { normaliseTypedText(); });
    refreshLook();
}

void TDateEditPlus::setValidDateColor(const QColor& colour)
{
    m_validDateColor = colour;
    refreshLook();
}

void TDateEditPlus::setNomeSemana(const QStringList& names)
{
    m_nomeSemana = names;
    refreshLook();
}

QDate TDateEditPlus::parsedDate() const
{
    return QDate::fromString(text(), kFormat);
}

QDateTime TDateEditPlus::GetDate() const
{
    const QDate date = parsedDate();
    if (!date.isValid())
        return {};
    return QDateTime(date, m_saveTime && m_savedTime.isValid() ? m_savedTime : QTime(0, 0));
}

void TDateEditPlus::SetDate(const QDateTime& date)
{
    if (!date.isValid()) {
        clear();
        return;
    }
    m_savedTime = date.time();
    setText(date.date().toString(kFormat));
}

QString TDateEditPlus::weekDayName() const
{
    const QDate date = parsedDate();
    if (!date.isValid())
        return {};
    // dayOfWeek counts Monday as 1 and Sunday as 7; the names start on Sunday.
    const int index = date.dayOfWeek() % kDaysInWeek;
    return index < m_nomeSemana.size() ? m_nomeSemana.at(index) : QString();
}

void TDateEditPlus::normaliseTypedText()
{
    if (parsedDate().isValid())
        return;
    // Accept the shortcuts people type: single-digit day or month, or eight bare digits.
    QDate date = QDate::fromString(text(), QStringLiteral("d/M/yyyy"));
    if (!date.isValid() && text().size() == kTypedDigitsLength)
        date = QDate::fromString(text(), QStringLiteral("ddMMyyyy"));
    if (date.isValid())
        setText(date.toString(kFormat));
}

void TDateEditPlus::refreshLook()
{
    QPalette look = palette();
    const QColor textColour =
        parsedDate().isValid() ? m_validDateColor : QPalette().color(QPalette::Active, QPalette::Text);
    // Also while disabled: a shown date keeps its colour in a read-only period box.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        look.setColor(group, QPalette::Text, textColour);
    setPalette(look);

    // Room for the week-day name only when the date still fits beside it.
    int nameWidth = 0;
    for (const QString& name : std::as_const(m_nomeSemana))
        nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(name));
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 "));
    const bool fits = width() - dateWidth - kNamePadding * 2 >= nameWidth + kNamePadding;
    setTextMargins(0, 0, fits ? nameWidth + kNamePadding : 0, 0);
    update();
}

void TDateEditPlus::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    refreshLook();
}

void TDateEditPlus::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    const QString name = weekDayName();
    if (name.isEmpty() || textMargins().right() == 0)
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(contents.adjusted(0, 0, -kNamePadding, 0), Qt::AlignRight | Qt::AlignVCenter, name);
}
