#pragma once
// One component as a form's stored layouts declare it: the rows of the table generated with the
// form's bindings, which tests compare with the form the layouts build.

namespace KavLayout {

struct LayoutComponent
{
    const char* name;
    const char* layoutClass;
    const char* parent;
    // The layouts give its whole place and do not align it: left, top, width, height hold.
    bool placed;
    int left;
    int top;
    int width;
    int height;
};

} // namespace KavLayout
