// The window's Russian wording of the pre-flight findings.
#pragma once

#include <QString>

struct Finding;

// The finding in Russian, its values filled in; numbers take `decimalSeparator`, names are decoded
// as file names are.
QString FindingText(const Finding& finding, QChar decimalSeparator);
