#include "ui/common/localized_text.h"

#include "core/strings/cf_string.h"

std::optional<std::wstring> BK_LocalizedText(int32_t stringId) {
    CBK_CFString text;
    if (!text.LoadLocalizedString(stringId))
        return std::nullopt;
    return text.GetUnicodeString();
}
