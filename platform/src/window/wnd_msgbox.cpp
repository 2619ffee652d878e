// Message boxes: a dialog on a real display, standard error otherwise, and the record of
// every text shown.
#include <cerrno>
#include <cstdio>
#include <deque>

#include "qvplatform/cp932.h"
#include "qvplatform/msgbox.h"
#include "wnd_internal.h"

namespace qvp::detail {

namespace {

constexpr std::size_t kLogSize = 64;

std::deque<std::string>& Log() {
    static auto* const log = new std::deque<std::string>;
    return *log;
}

}  // namespace

std::vector<int> MessageBoxButtons(UINT nType) {
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {IDOK};
    }
}

std::size_t MessageBoxDefault(UINT nType) {
    std::size_t index = (nType & MB_DEFMASK) >> 8;
    return index < MessageBoxButtons(nType).size() ? index : 0;
}

const char* MessageBoxLabel(int nAnswer) {
    switch (nAnswer) {
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "Abort";
        case IDRETRY:
            return "Retry";
        case IDIGNORE:
            return "Ignore";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return "OK";
    }
}

}  // namespace qvp::detail

using namespace qvp::detail;

int MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    std::string text = lpText ? lpText : "";
    Log().push_back(text);
    if (Log().size() > kLogSize) Log().pop_front();
    std::string caption = lpCaption ? Cp932ToUtf8(lpCaption) : program_invocation_short_name;
    std::string utf8 = Cp932ToUtf8(text);
    int answer = 0;
    if (ShowSdlMessageBox(utf8, caption, uType, answer)) return answer;
    utf8 += '\n';
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
    return MessageBoxButtons(uType)[MessageBoxDefault(uType)];
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    return MessageBoxA(nullptr, lpszText, nullptr, nType);
}

std::vector<std::string> AfxTakeMessageBoxLog() {
    std::vector<std::string> texts(Log().begin(), Log().end());
    Log().clear();
    return texts;
}
