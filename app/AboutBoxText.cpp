#include "app/AboutBoxText.h"

#include "app/TextIds.h"
#include "common/CLocale.h"

namespace emu {

namespace {

constexpr int32_t kHighDpiThreshold = 130;
constexpr const char* kAuthor = "the Korvet emulator developers";
constexpr const char* kYears = "2026";

} // namespace

bool IsAboutHighDpi(bool layoutDpiComputed, int32_t screenDpi) {
    return layoutDpiComputed && screenDpi > kHighDpiThreshold;
}

int32_t GetAboutTitleFontSize(int32_t titleLength, bool highDpi) {
    static const int32_t kNormal[5] = {14, 15, 16, 17, 19};
    static const int32_t kHigh[5] = {12, 13, 14, 15, 17};
    const int32_t* sizes = highDpi ? kHigh : kNormal;
    if (titleLength > 25)
        return sizes[0];
    if (titleLength >= 24)
        return sizes[1];
    if (titleLength >= 22)
        return sizes[2];
    if (titleLength >= 18)
        return sizes[3];
    return sizes[4];
}

int32_t GetAboutTextFontSize(bool highDpi) {
    return highDpi ? 7 : 9;
}

common::CWideString FormatAboutAuthorLine() {
    common::CWideString line = common::CLocale::GetText(TextId::kAuthor);
    line.AppendNarrow(": ");
    line.AppendNarrow(kAuthor);
    return line;
}

common::CWideString FormatAboutVersionLine(const char* buildDescription) {
    common::CWideString line = common::CLocale::GetText(TextId::kVersion);
    line.AppendNarrow(" ");
    line.AppendNarrow(kAboutVersion);
    if (buildDescription && *buildDescription)
        line.AppendFormat(" (%s)", buildDescription);
    return line;
}

common::CWideString FormatAboutOriginLine() {
    common::CWideString line = common::CLocale::GetText(TextId::kCountry);
    line.AppendNarrow(" ");
    line.AppendNarrow(kYears);
    return line;
}

} // namespace emu
