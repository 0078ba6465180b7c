#include "swf/writer/refused_script.h"

#include "swf/actions/do_action.h"
#include "swf/base/tag_codes.h"

namespace ravuz {

bool SwfScriptRefused(CBK_SwfTag& tag, uint8_t version, std::size_t written) {
    if (written != 0)
        return false;
    switch (tag.GetTagId()) {
    case kSwfTagDoAction: {
        // An empty list is left out on purpose.
        auto* list = dynamic_cast<CBK_SwfDoAction*>(&tag);
        return list && !list->CanWrite(version);
    }
    case kSwfTagDoInitAction:
    case kSwfTagDefineButton:
    case kSwfTagDefineButton2:
    case kSwfTagPlaceObject2:
    case kSwfTagDefineSprite:
        // Each writes at least its header whenever it can be written.
        return true;
    default:
        return false;
    }
}

} // namespace ravuz
