// Sound resources ('snd ', formats 1 and 2): where their sound header lies and what it holds.
// Resources are big-endian; every read stays inside the handle.
#pragma once

#include <cstdint>

#include "platform/movie/movie_types.h"
#include "platform/types.h"

// The offset of the sound header named by the first sound or buffer command with the
// data-offset flag; 0 for a null, empty or damaged resource, or one without such a command.
int32_t GetSndHdrOffset(tbx::Handle sound);

// Describes the samples of the resource's sound header (standard, extended or compressed) and
// where they begin. False, with every output 0, when the resource has no readable header.
bool CreateSoundDescription(tbx::Handle sound, tbx::SoundDescription& description,
                            int32_t* dataOffset, int32_t* sampleCount, int32_t* dataSize);
