#include "PreviewRenderer.h"

#include "DialogService.h"
#include "PageModel.h"
#include "PreviewWindow.h"

bool PreviewRenderer::render(const PageModel& model, const RenderTarget& target)
{
    PreviewWindow window(model, target.print, target.parent);
    auto& dialogs = Kav::DialogService::instance();
    if (dialogs.isAutomated()) {
        window.show();
        window.grab(); // paints the first page, as a person would see it
        const auto answer = dialogs.takeAnswer(Kav::DialogKind::Preview, window.windowTitle());
        if (answer == QStringLiteral("print") && target.print)
            target.print();
        window.close();
        return true;
    }
    window.exec();
    return true;
}
