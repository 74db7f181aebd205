// In-place label editing: message objects (editable labels), the passer that hooks a view and
// navigates between them, and the edit controls opened over the labels.
#ifndef LUMOTOOLS_LABELEDIT_H_
#define LUMOTOOLS_LABELEDIT_H_

#include "lumotools/labeledit/msg_combo_edit.h"
#include "lumotools/labeledit/msg_object.h"
#include "lumotools/labeledit/msg_passer.h"
#include "lumotools/labeledit/quad_edit.h"

#endif  // LUMOTOOLS_LABELEDIT_H_
