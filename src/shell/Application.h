// Platform-free rules of the application object.
#pragma once
#include <string>

namespace quorlin {

// The text of the error message box: a "." is added when the last character sorts after ".",
// so "Failed" becomes "Failed." while "Failed!" and "Done." stay as they are.
std::wstring ErrorBoxText(std::wstring text);

}  // namespace quorlin
