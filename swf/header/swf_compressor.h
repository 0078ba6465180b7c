// CBK_SwfCompressor: turns a whole SWF file into its compressed form ("CWS": everything after
// the first 8 bytes deflated) and back. Every output replaces its file only once complete:
// a failure leaves what was there and no temporary file.
#pragma once

#include "core/paths/path.h"

// The reason of the last failure (see CBK_SwfCompressor); never reset.
extern int gBK_SwfCompressor_LastError;

class CBK_SwfCompressor {
public:
    enum : int {
        ERROR_NOT_SWF = 2,            // compressing: neither "FWS" nor "CWS"
        ERROR_NOT_COMPRESSED_SWF = 3, // decompressing: not "CWS"
        ERROR_CANNOT_OPEN_SOURCE = 5,
        ERROR_CANNOT_CREATE_OUTPUT = 7,
        // decompressing: the stream inflates past what a movie of its file's size may take
        // in memory (SwfInflateLimit); nothing is written
        ERROR_INFLATES_TOO_FAR = 8,
        // decompressing: the zlib stream is damaged or ends before its end; nothing is written
        ERROR_DAMAGED_STREAM = 9,
    };

    // Begins "FWS" or "CWS".
    static bool IsValidSwf(const CBK_Path& path);
    // Begins "CWS"; ERROR_CANNOT_OPEN_SOURCE when the file cannot be read.
    static bool IsCompressedSwf(const CBK_Path& path);

    // An existing destination is replaced only with `replace`; source and destination may be
    // the same file. A source that is already compressed is refused.
    static bool CompressSwf(const CBK_Path& source, const CBK_Path& destination, bool replace);
    // Inflates no more than the length the header declares; a stream that inflates beyond what
    // the readers would hold in memory for a movie of its file's size (SwfInflateLimit) is
    // refused with ERROR_INFLATES_TOO_FAR.
    static bool DecompressSwf(const CBK_Path& source, const CBK_Path& destination, bool replace);

    // In place. With `keepBackup` the original is kept under its name followed by "~" (and
    // put back when the conversion fails); a file that cannot be converted is not touched.
    // Without, a file already in the requested form is left as it is and counts as done.
    static bool CompressSwf(const CBK_Path& path, bool keepBackup);
    static bool DecompressSwf(const CBK_Path& path, bool keepBackup);

    static int GetLastError() { return gBK_SwfCompressor_LastError; }
};
