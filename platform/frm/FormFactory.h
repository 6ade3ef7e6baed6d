#pragma once
// Creates a form from its stored layouts the way the host's create-form operation does: the
// instance is stored in `reference` before its creation handler runs, a form that closed
// itself while being created is not shown, and a creation that fails leaves no form behind.

namespace Frm {

// A form of class T kept in a reference of one of its base classes.
template <class T, class Reference> void createFormOf(Reference*& reference)
{
    T* form = new T;
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

template <class T> void createForm(T*& reference)
{
    createFormOf<T>(reference);
}

} // namespace Frm
