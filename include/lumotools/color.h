// Display colours: the colour item of a drawn figure and its text form.
#ifndef LUMOTOOLS_COLOR_H_
#define LUMOTOOLS_COLOR_H_

#include "lumotools/color/visual_color_item.h"

#endif  // LUMOTOOLS_COLOR_H_
