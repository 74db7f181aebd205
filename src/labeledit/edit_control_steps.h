// The steps both edit controls share. Internal.
#ifndef LUMOTOOLS_SRC_LABELEDIT_EDIT_CONTROL_STEPS_H_
#define LUMOTOOLS_SRC_LABELEDIT_EDIT_CONTROL_STEPS_H_

#include "lumotools/geometry/quad.h"
#include "lumotools/platform/font.h"
#include "lumotools/platform/wnd.h"

namespace lumo_labeledit {

// Fits an edit control upright over a quad and sizes its font to the quad's height.
void FitControlToQuad(CWnd& control, CFont& font, const CQuad& quad);
// Ctrl+C, Ctrl+V or Ctrl+X pressed in control: translated and dispatched at once (true), before
// any accelerator of the windows above sees it.
bool DeliverClipboardKey(const CWnd& control, MSG* pMsg);

}  // namespace lumo_labeledit

#endif  // LUMOTOOLS_SRC_LABELEDIT_EDIT_CONTROL_STEPS_H_
