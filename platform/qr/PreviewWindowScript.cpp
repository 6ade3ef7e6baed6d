#include "PreviewWindowScript.h"

#include "PreviewPage.h"
#include "PreviewWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QKeyEvent>
#include <QScrollArea>
#include <QWheelEvent>

namespace Qr {

namespace {

const QString kClose = QStringLiteral("close");
const QString kPrint = QStringLiteral("print");
const QString kZoom = QStringLiteral("zoom=");
const QString kPage = QStringLiteral("page=");
const QString kFits = QStringLiteral("fits=");
const QString kGrab = QStringLiteral("grab=");
const QString kFitWholePage = QStringLiteral("pagina");
const QString kFitPageWidth = QStringLiteral("largura");
constexpr int kWheelNotch = 120;

const QHash<QString, QKeyCombination>& keys()
{
    static const QHash<QString, QKeyCombination> table = {
        {QStringLiteral("PgDn"), Qt::Key_PageDown},
        {QStringLiteral("PgUp"), Qt::Key_PageUp},
        {QStringLiteral("Space"), Qt::Key_Space},
        {QStringLiteral("Shift+Space"), Qt::SHIFT | Qt::Key_Space},
        {QStringLiteral("Home"), Qt::Key_Home},
        {QStringLiteral("End"), Qt::Key_End},
        {QStringLiteral("Left"), Qt::Key_Left},
        {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Up"), Qt::Key_Up},
        {QStringLiteral("Down"), Qt::Key_Down},
    };
    return table;
}

bool isPageNumber(const QString& text)
{
    bool ok = false;
    return text.toInt(&ok) >= 1 && ok;
}

// Keys and the wheel go where a person's would: to the focused part of the window.
QWidget* receiver(PreviewWindow& window)
{
    QWidget* focused = QApplication::focusWidget();
    return focused && window.isAncestorOf(focused) ? focused : window.findChild<QScrollArea*>();
}

void pressKey(PreviewWindow& window, QKeyCombination combination)
{
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(receiver(window), &press);
}

void turnWheel(PreviewWindow& window, int delta)
{
    QWidget* viewport = window.findChild<QScrollArea*>()->viewport();
    const QPointF centre = QRectF(viewport->rect()).center();
    QWheelEvent wheel(centre, viewport->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

void chooseZoom(PreviewWindow& window, const QString& value)
{
    auto* box = window.findChild<QComboBox*>(QStringLiteral("cbbZoom"));
    const int index = box->findData(PreviewWindowZoom::fromText(value).toText());
    box->setFocus(Qt::MouseFocusReason); // as a click on the box
    box->setCurrentIndex(index);
    emit box->activated(index);
}

QString fitFailure(PreviewWindow& window, const QString& how)
{
    const QWidget* viewport = window.findChild<QScrollArea*>()->viewport();
    const QSize sheet = window.findChild<PreviewPage*>()->size();
    const bool fits =
        sheet.width() <= viewport->width() && (how == kFitPageWidth || sheet.height() <= viewport->height());
    return fits ? QString()
                : QStringLiteral("a folha de %1x%2 não cabe na janela de %3x%4")
                      .arg(sheet.width())
                      .arg(sheet.height())
                      .arg(viewport->width())
                      .arg(viewport->height());
}

} // namespace

bool PreviewWindowScript::isFinalStep(const QString& step)
{
    return step == kClose || step == kPrint;
}

QString PreviewWindowScript::stepError(const QString& step)
{
    if (isFinalStep(step) || keys().contains(step) || step == QLatin1String("WheelDown") ||
        step == QLatin1String("WheelUp"))
        return {};
    if (step.startsWith(kZoom) && !step.mid(kZoom.size()).isEmpty())
        return {};
    if (step.startsWith(kPage) && isPageNumber(step.mid(kPage.size())))
        return {};
    if (step.startsWith(kFits) &&
        (step.mid(kFits.size()) == kFitWholePage || step.mid(kFits.size()) == kFitPageWidth))
        return {};
    if (step.startsWith(kGrab) && step.size() > kGrab.size())
        return {};
    return QStringLiteral("\"%1\" is no preview step (keys PgDn PgUp Space Home End Left Right Up Down, "
                          "WheelDown, WheelUp, zoom=, page=, fits=, grab=, close, print)")
        .arg(step);
}

QString PreviewWindowScript::play(PreviewWindow& window, const QStringList& steps, QStringList& failures)
{
    for (const QString& step : steps) {
        if (isFinalStep(step))
            return step;
        if (keys().contains(step)) {
            pressKey(window, keys().value(step));
        } else if (step == QLatin1String("WheelDown") || step == QLatin1String("WheelUp")) {
            turnWheel(window, step == QLatin1String("WheelDown") ? -kWheelNotch : kWheelNotch);
        } else if (step.startsWith(kZoom)) {
            chooseZoom(window, step.mid(kZoom.size()));
        } else if (step.startsWith(kPage)) {
            const int expected = step.mid(kPage.size()).toInt();
            if (window.currentPage() + 1 != expected)
                failures << QStringLiteral("Visualização: esperada a página %1, mostrada a %2.")
                                .arg(expected)
                                .arg(window.currentPage() + 1);
        } else if (step.startsWith(kFits)) {
            if (const QString failure = fitFailure(window, step.mid(kFits.size())); !failure.isEmpty())
                failures << QStringLiteral("Visualização: %1.").arg(failure);
        } else if (step.startsWith(kGrab)) {
            if (!window.grab().save(step.mid(kGrab.size())))
                failures << QStringLiteral("Visualização: não foi possível salvar %1.")
                                .arg(step.mid(kGrab.size()));
        }
        QApplication::processEvents(); // the window repaints and lays out as it would for a person
    }
    return kClose;
}

} // namespace Qr
