// Length ranges: intervals on one axis and sets of subtracted ranges.
#ifndef LUMOTOOLS_LENGTH_H_
#define LUMOTOOLS_LENGTH_H_

#include "lumotools/length/length_item.h"
#include "lumotools/length/length_sub.h"

#endif  // LUMOTOOLS_LENGTH_H_
