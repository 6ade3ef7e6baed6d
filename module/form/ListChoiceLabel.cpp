#include "ListChoiceLabel.h"

namespace {
constexpr int kGap = 3;
const QChar kSeparator = QLatin1Char('_');
} // namespace

ListChoiceLabel::ListChoiceLabel(QWidget* lookupButton) : QLabel(lookupButton->parentWidget())
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
    setText(chosen.size() == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 itens").arg(chosen.size()));
    setToolTip(QStringLiteral("Escolhidos: %1").arg(chosen.join(QStringLiteral(", "))));
    show();
}
