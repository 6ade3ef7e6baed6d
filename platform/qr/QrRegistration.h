#pragma once
// Registers the report engine's classes under the names stored layouts use for them.

namespace Qr {

void registerReportClasses(); // TReportDesignerDialog

} // namespace Qr
