// Display colours: the colour item of a drawn figure and its text form, and the colour manager
// with its configuration database.
#ifndef LUMOTOOLS_COLOR_H_
#define LUMOTOOLS_COLOR_H_

#include "lumotools/color/visual_color_item.h"
#include "lumotools/color/visual_color_mrg.h"

#endif  // LUMOTOOLS_COLOR_H_
