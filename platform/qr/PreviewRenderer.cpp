#include "PreviewRenderer.h"

#include "DialogService.h"
#include "PageModel.h"
#include "PreviewWindow.h"
#include "PreviewWindowScript.h"

bool PreviewRenderer::render(const PageModel& model, const RenderTarget& target)
{
    PreviewWindow window(model, target.print, target.parent);
    auto& dialogs = Kav::DialogService::instance();
    if (dialogs.isAutomated()) {
        window.show();
        window.grab(); // paints the first page, as a person would see it
        const auto answer = dialogs.takeAnswer(Kav::DialogKind::Preview, window.windowTitle());
        QStringList failures;
        const QString action =
            PreviewWindowScript::play(window, answer.value_or(QString()).split(' '), failures);
        for (const QString& failure : failures)
            dialogs.showError(failure);
        if (action == QStringLiteral("print") && target.print)
            target.print();
        window.close();
        return true;
    }
    window.exec();
    return true;
}
