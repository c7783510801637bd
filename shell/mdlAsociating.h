#pragma once
// The shell association of ".ovs": opening a script from the desktop or a
// file window starts the program with "/add" and the script's path, which
// makes the script's folder the library.
#include "app/app.h"
#include "platform/ui.h"

namespace shell {

constexpr const char* kExtension = ".ovs";
constexpr const char* kProgId = "orvanta";

// The registration when it is still to be done (Install/Registry is "0"),
// then "1" is stored whatever came of it. The library window runs it when it
// loads; a question about another program's registration is owned by `owner`.
void RunAssociationOnce(app::App& app, ui::Form* owner);
// The menu command: makes the registration pending and runs it at once.
void AssociateAgain(app::App& app, ui::Form* owner);

}  // namespace shell
