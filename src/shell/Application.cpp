#include "shell/Application.h"

namespace quorlin {

std::wstring ErrorBoxText(std::wstring text) {
    if (!text.empty() && text.back() > L'.') text.push_back(L'.');
    return text;
}

}  // namespace quorlin
