// How a text typed into a list field names one of the list's items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The position of the item that `typed` names, or -1 when it names none. A text names an item by
// the number the item begins with ("2" names " 2 - MASTER", "2048" names " 2048") or by the
// item's whole text, blanks and letter case aside ("2-master" names " 2 - MASTER" too). Texts are
// UTF-8; Latin and Cyrillic letters match in either case, other bytes only as they are.
int ChoiceFromText(std::string_view typed, const std::vector<std::string>& items);
