// The formula function table: named functions called with text arguments, the built-in
// functions, and the numeric-text and number-text rules.
#ifndef LUMOTOOLS_FORMULA_H_
#define LUMOTOOLS_FORMULA_H_

#include "lumotools/formula/build_in_fun.h"
#include "lumotools/formula/ex_fun_table.h"
#include "lumotools/formula/number_text.h"
#include "lumotools/formula/script_functor.h"

#endif  // LUMOTOOLS_FORMULA_H_
