#pragma once
// How an automated run (a host script, a test) drives the preview window as a person would:
// the steps of the preview's answer, one word each, played through the window's own key and
// wheel handling.
//
//   PgDn PgUp Space Shift+Space Home End Left Right Up Down   a key to the window
//   WheelDown WheelUp                                         a notch of the mouse wheel
//   zoom=pagina|largura|FACTOR                                a choice in the zoom box
//   page=N                                                    the page shown is N (from 1)
//   fits=pagina|largura                                       the sheet fits the window whole / by width
//   grab=PATH                                                 a picture of the window (PNG)
//   close | print                                             the last step: how the preview ends

#include <QString>
#include <QStringList>

namespace Qr {

class PreviewWindow;

class PreviewWindowScript
{
public:
    // What is wrong with one step; empty when it is a step.
    static QString stepError(const QString& step);
    static bool isFinalStep(const QString& step);

    // Plays the steps on `window`. Returns the final step ("close" when none), and in
    // `failures` one text per step whose expectation did not hold.
    static QString play(PreviewWindow& window, const QStringList& steps, QStringList& failures);
};

} // namespace Qr
