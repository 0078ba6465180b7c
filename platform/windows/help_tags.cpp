#include "platform/windows/help_tags.h"

#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

OSStatus HMSetControlHelpContent(ControlRef control, const HMHelpContentRec* content) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->helpTag.clear();
    if (!content)
        return noErr;
    if (content->version != kMacHelpVersion)
        return paramErr;
    c->helpTag.resize(2);
    for (int i = 0; i < 2; ++i)
        if (content->content[i].contentType == kHMCFStringContent &&
            content->content[i].tagCFString)
            c->helpTag[static_cast<std::size_t>(i)] = content->content[i].tagCFString->Text();
    c->helpSide = content->tagSide;
    c->helpRect = content->absHotRect;
    return noErr;
}

OSStatus HMGetControlHelpContent(ControlRef control, HMHelpContentRec* outContent) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outContent)
        return paramErr;
    *outContent = HMHelpContentRec{};
    if (c->helpTag.empty())
        return noErr;
    outContent->tagSide = c->helpSide;
    outContent->absHotRect = c->helpRect;
    for (int i = 0; i < 2; ++i) {
        if (c->helpTag[static_cast<std::size_t>(i)].empty())
            continue;
        outContent->content[i].contentType = kHMCFStringContent;
        outContent->content[i].tagCFString = new CFString(c->helpTag[static_cast<std::size_t>(i)]);
    }
    return noErr;
}

} // namespace tbx
