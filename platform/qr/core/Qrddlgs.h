#pragma once
// Questions a screen asks about the parameters of the report it is about to run.

#include <QString>

namespace Qr {

class TParams;

namespace Qrddlgs {

// Longest parameter name a layout may declare.
constexpr int MaxParamNameLength = 255;

// Whether the report's query declares the parameter `name` (compared without regard to case).
// A name longer than MaxParamNameLength is never declared.
bool ExistParam(const TParams& params, const QString& name);

} // namespace Qrddlgs

} // namespace Qr

// Screens call these questions as Qrddlgs::ExistParam.
namespace Qrddlgs = Qr::Qrddlgs;
