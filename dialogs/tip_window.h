#pragma once
// What the two tip windows share: the box "не показывать больше" and the OK
// button under the notes, tied to the setting that switches the tip off.
#include "app/app.h"
#include "platform/ui.h"

namespace dialogs {

// Places the box and OK along the bottom of a form of `width` × `height`.
// The box starts ticked when `setting` holds exactly "1"; OK stores "1" or
// "0" from the box and closes; the title-bar button stores nothing.
void SetUpShowAgain(app::App& app, ui::Form& tip, ui::CheckBox& box, ui::Button& ok,
                    const app::SettingKey& setting, int width, int height);

}  // namespace dialogs
