#pragma once

#include <QFont>

// SimSun at the given size, with CJK fonts that Linux systems carry as fallbacks when SimSun is
// missing (fonts-wqy-microhei on Debian), so Chinese captions never fall back to boxes.
QFont simSunFont(int pointSize, bool underline = false);
