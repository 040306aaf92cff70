#include "clean/CleanReport.h"

namespace {

const DWORD ReasonSize = 512;
const int DecimalDigits = 20; // of the largest ULONGLONG
const wchar_t TrailingSpace[] = L" \r\n";

} // namespace

// Digit by digit: the C library's formatted printing would bring its
// floating-point code into the window's program, which has a size budget.
std::wstring DecimalText(ULONGLONG number) {
    wchar_t digits[DecimalDigits];
    wchar_t* first = digits + DecimalDigits;
    do {
        *--first = wchar_t(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::wstring(first, digits + DecimalDigits);
}

std::wstring ReasonText(DWORD error) {
    wchar_t text[ReasonSize] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, ReasonSize, nullptr);
    std::wstring reason = text;
    reason.erase(reason.find_last_not_of(TrailingSpace) + 1);
    if (!reason.empty())
        reason += L' ';
    return reason + L"(error " + DecimalText(error) + L")";
}

std::wstring ReasonOf(const CleanItem& item) {
    if (item.kind == CleanItemKind::ProfileInUse)
        return item.detail;
    if (item.detail.empty())
        return ReasonText(item.error);
    return item.detail + L" (error " + DecimalText(item.error) + L")";
}
