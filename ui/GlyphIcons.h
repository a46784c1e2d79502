#pragma once

#include <QIcon>

namespace qv::ui {

// The glyphs of the flat buttons under the board, drawn rather than shipped.
QIcon BackGlyph();     // grey triangle pointing left
QIcon ForwardGlyph();  // grey triangle pointing right
QIcon CancelGlyph();   // red prohibition sign

}  // namespace qv::ui
