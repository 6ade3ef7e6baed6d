#include "ReportRenderer.h"

#include "ReportCancelled.h"

namespace Qr {

void ReportRenderer::pageDone(const RenderTarget& target, int done, int total)
{
    if (target.progress && !target.progress(done, total))
        throw ReportCancelled();
}

} // namespace Qr
