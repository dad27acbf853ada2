#pragma once
// A problem as the user reads it: the code's English template translated into the
// window's language (context "Problem" of the translations), then filled in with the
// problem's arguments, exactly as the core fills the English text.

#include <QString>

#include "reader/Problem.h"

namespace zel::gui {

QString ProblemText(const zel::Problem& problem);

}  // namespace zel::gui
