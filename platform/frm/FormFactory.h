#pragma once
// Creates a form from its stored layouts the way the host's create-form operation does: the
// instance is stored in `reference` before its creation handler runs, a form that closed
// itself while being created is not shown, and a creation that fails leaves no form behind.

#include <utility>

namespace Frm {

// A form of class T kept in a reference of one of its base classes, constructed with `args`.
template <class T, class Reference, class... Args> void createFormOf(Reference*& reference, Args&&... args)
{
    T* form = new T(std::forward<Args>(args)...);
    reference = form;
    try {
        form->create();
    } catch (...) {
        if (reference == form)
            reference = nullptr;
        delete form;
        throw;
    }
    if (!form->isClosed())
        form->showCreated();
}

template <class T, class... Args> void createForm(T*& reference, Args&&... args)
{
    createFormOf<T>(reference, std::forward<Args>(args)...);
}

} // namespace Frm
