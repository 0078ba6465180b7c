// The tracks of a movie being written and the movie header built from them at the end:
// track and media headers, data references and sample tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BK_MOVIE_TRACK {
    std::string handler;                    // 'vide', 'soun' or 'flsh'
    std::vector<uint8_t> sampleDescription; // one stsd entry
    uint32_t timeScale = 600;
    uint32_t sampleDelta = 1;          // media units per sample
    uint32_t sampleSize = 0;           // bytes per sample when constant
    std::vector<uint32_t> sampleSizes; // when not constant
    uint64_t sampleCount = 0;
    std::vector<uint64_t> chunkOffsets; // from the start of the file holding the data
    std::vector<uint32_t> chunkSamples; // samples in each chunk
    uint32_t width = 0;                 // pixels
    uint32_t height = 0;
    uint16_t volume = 0;
    uint16_t graphicsMode = 0x40; // dither copy
    uint16_t opColor[3] = {0x8000, 0x8000, 0x8000};

    uint64_t MediaDuration() const { return sampleCount * sampleDelta; }
};

struct BK_MOVIE_USER_DATA {
    bool noController = false;
    bool loop = false;
    bool autoplay = false;
};

// The 'moov' atom; every chunk offset is moved by `offsetDelta`.
std::vector<uint8_t> BK_BuildMovieHeader(const std::vector<BK_MOVIE_TRACK>& tracks,
                                         const BK_MOVIE_USER_DATA& userData, uint64_t offsetDelta);
// The same movie header compressed with zlib into a 'cmov' atom; empty on failure.
std::vector<uint8_t> BK_CompressMovieHeader(const std::vector<uint8_t>& movieHeader);
