// The settings' toolkit-free font and colour fields as Qt values and back.
#pragma once

#include <QColor>
#include <QFont>

#include "settings/font_description.h"

namespace kora::app {

QColor ToQColor(Colour colour);
Colour ToColour(const QColor& colour);

QFont ToQFont(const FontDescription& font);
// Takes family, size and style from `qfont`; the fields Qt has no use for
// (colour, character set) keep their values.
void StoreQFont(const QFont& qfont, FontDescription& font);

} // namespace kora::app
