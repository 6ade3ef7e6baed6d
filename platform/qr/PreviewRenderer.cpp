#include "PreviewRenderer.h"

#include "BackgroundLayout.h"
#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"
#include "PageModel.h"
#include "PreviewWindow.h"
#include "PreviewWindowScript.h"

#include <QEventLoop>

namespace Qr {

namespace {

// The window stays until the user closes it; an answer given beforehand is played in it, and the
// window closes after it. `complete` finishes the pages before an answer is played.
void showUntilClosed(PreviewWindow& window, const RenderTarget& target, const std::function<bool()>& complete)
{
    auto& dialogs = Kav::dialogs();
    const auto answer = dialogs.runWindow(window, Kav::DialogKind::Preview, complete);
    if (!answer)
        return;
    QStringList failures;
    const QString action = PreviewWindowScript::play(window, answer->split(' '), failures);
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
    showUntilClosed(window, target, [] { return true; });
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
    if (layout.error().isEmpty()) {
        showUntilClosed(window, target, [&layout] {
            waitUntilFinished(layout);
            return layout.error().isEmpty();
        });
    }
    layout.cancel(); // closed before the last page: the rest is not laid out
    if (!layout.error().isEmpty())
        throw Kav::Exception(layout.error());
    return true;
}

} // namespace Qr
