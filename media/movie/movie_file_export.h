// A movie export written to a file: the file takes its place only when the export succeeded,
// so a cancelled or failed export leaves an existing file as it was and no partial one.
#pragma once

#include "core/paths/path.h"
#include "platform/movie/movie_export.h"

// The exporter's result, or ioErr when the file cannot be made or written.
tbx::OSErr BK_MovieExportToFile(tbx::ComponentInstance exporter, CBK_Path& path, tbx::Movie* movie,
                                tbx::TimeValue start, tbx::TimeValue duration);
