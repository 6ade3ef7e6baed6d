#pragma once
// What closing a form does with it; the form's OnClose handler decides (FormClose(Sender, Action)).

enum TCloseAction { caNone, caHide, caFree, caMinimize };
