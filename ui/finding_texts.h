// The window's Russian wording of the pre-flight findings.
#pragma once

#include <QString>

struct Finding;

// The finding in Russian, its values filled in; numbers take `decimalSeparator`, names are shown
// as the window shows file names.
QString FindingText(const Finding& finding, QChar decimalSeparator);
