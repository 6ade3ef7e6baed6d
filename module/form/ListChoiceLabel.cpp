#include "ListChoiceLabel.h"

#include "TMessages.h"

namespace {
constexpr int kGap = 3;
const QChar kSeparator = QLatin1Char('_');
} // namespace

ListChoiceLabel::ListChoiceLabel(QWidget* lookupButton, const TMessages& catalogue)
    : QLabel(lookupButton->parentWidget()), m_catalogue(catalogue)
{
    setObjectName(lookupButton->objectName() + QStringLiteral("Escolha"));
    QFont plain = font();
    plain.setBold(false);
    setFont(plain);
    const QRect button = lookupButton->geometry();
    const int left = button.right() + kGap;
    setGeometry(left, button.top(), std::max(0, parentWidget()->width() - left - kGap), button.height());
    hide();
}

void ListChoiceLabel::showChoice(bool inUse, const QString& codes)
{
    const QStringList chosen = codes.split(kSeparator, Qt::SkipEmptyParts);
    if (!inUse || chosen.isEmpty()) {
        hide();
        return;
    }
    setText(chosen.size() == 1 ? m_catalogue.Msg(QStringLiteral("Lista_Um"))
                               : TMessages::Format(m_catalogue.Msg(QStringLiteral("Lista_Varios")),
                                                   {QString::number(chosen.size())}));
    setToolTip(TMessages::Format(m_catalogue.Msg(QStringLiteral("Lista_Escolha")),
                                 {chosen.join(QStringLiteral(", "))}));
    show();
}
