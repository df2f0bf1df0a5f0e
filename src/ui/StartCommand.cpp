#include "ui/StartCommand.h"

namespace quorlin {

namespace {

bool SameWordIgnoringCase(std::wstring_view word, std::wstring_view lower) {
    if (word.size() != lower.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const wchar_t c = word[i] >= L'A' && word[i] <= L'Z' ? static_cast<wchar_t>(word[i] - L'A' + L'a') : word[i];
        if (c != lower[i]) return false;
    }
    return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

StartCommand ParseStartCommand(std::wstring_view arguments) {
    std::size_t i = 0;
    while (i < arguments.size()) {
        while (i < arguments.size() && IsBlank(arguments[i])) ++i;
        std::wstring_view word;
        if (i < arguments.size() && arguments[i] == L'"') {
            const std::size_t end = arguments.find(L'"', i + 1);
            word = arguments.substr(i + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - i - 1);
            i = end == std::wstring_view::npos ? arguments.size() : end + 1;
        } else {
            const std::size_t start = i;
            while (i < arguments.size() && !IsBlank(arguments[i])) ++i;
            word = arguments.substr(start, i - start);
        }
        if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) continue;
        word.remove_prefix(1);
        if (SameWordIgnoringCase(word, L"exit")) return StartCommand::Exit;
        if (SameWordIgnoringCase(word, L"uninstall")) return StartCommand::Uninstall;
    }
    return StartCommand::Run;
}

}  // namespace quorlin
