#include "swf/base/swf_obj.h"

#include "swf/stream/swf_stream.h"

namespace ravuz {

// Defined beside the object base rather than with the stream, so that the byte stream
// stays below the object model and never includes it.
uint32_t CBK_SwfStream::Add(CBK_SwfObj* object) {
    return object ? object->Write(this) : 0;
}

} // namespace ravuz
