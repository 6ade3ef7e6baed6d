#include "PreviewRenderer.h"

#include "BackgroundLayout.h"
#include "DialogService.h"
#include "KavException.h"
#include "PageModel.h"
#include "PreviewWindow.h"
#include "PreviewWindowScript.h"

#include <QEventLoop>

namespace Qr {

namespace {

// Automated, the window is painted once, plays the script's answer and closes; otherwise it stays
// until the user closes it.
void showUntilClosed(PreviewWindow& window, const RenderTarget& target)
{
    auto& dialogs = Kav::DialogService::instance();
    if (!dialogs.isAutomated()) {
        window.exec();
        return;
    }
    window.show();
    window.grab(); // paints the first page, as a person would see it
    const auto answer = dialogs.takeAnswer(Kav::DialogKind::Preview, window.windowTitle());
    QStringList failures;
    const QString action = PreviewWindowScript::play(window, answer.value_or(QString()).split(' '), failures);
    for (const QString& failure : failures)
        dialogs.showError(failure);
    if (action == QStringLiteral("print") && target.print)
        target.print();
    window.close();
}

void waitUntilFinished(BackgroundLayout& layout)
{
    if (layout.isFinished())
        return;
    QEventLoop loop;
    QObject::connect(&layout, &BackgroundLayout::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

bool PreviewRenderer::render(const PageModel& model, const RenderTarget& target)
{
    PreviewWindow window(model, target.print, target.parent);
    showUntilClosed(window, target);
    return true;
}

bool PreviewRenderer::renderWhileLayingOut(BackgroundLayout& layout, const RenderTarget& target)
{
    PreviewWindow window(layout.frame(), target.print, target.parent, PreviewWindow::Pages::Arriving);
    QObject::connect(&layout, &BackgroundLayout::pagesReady, &window,
                     [&] { window.addPages(layout.takePages()); });
    QObject::connect(&layout, &BackgroundLayout::finished, &window, [&] {
        if (layout.error().isEmpty())
            window.finishPages(layout.result());
        else
            window.reject();
    });
    layout.start();
    if (Kav::DialogService::instance().isAutomated())
        waitUntilFinished(layout);
    if (layout.error().isEmpty())
        showUntilClosed(window, target);
    layout.cancel(); // closed before the last page: the rest is not laid out
    if (!layout.error().isEmpty())
        throw Kav::Exception(layout.error());
    return true;
}

} // namespace Qr
