// Mutated movie, sound and picture files opened through the movie importer: facts, a few
// frames and a little sound must come out or be refused, never crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "media/image/image.h"
#include "media/importers/quicktime_importer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    char name[] = "/tmp/stravel_fuzz_movie_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return 0;
    const bool written = write(fd, data, size) == ssize_t(size);
    close(fd);
    if (written) {
        CBK_Path path(BK_FileSystemNameToWide(name));
        CBK_MediaImporterQuickTime importer;
        if (importer.Init(path)) {
            int32_t width = 0, height = 0;
            importer.GetSize(width, height);
            const uint32_t duration = uint32_t(importer.GetTotalSamples());
            CBK_Image image;
            for (uint32_t t : {0u, duration / 2, duration, duration / 3})
                importer.GetRgbFrame(t, image, nullptr, 24);
            tbx::Rect crop{2, 2, 40, 40};
            importer.GetRgbFrame(duration / 4, image, &crop, 32);
            // A shape far from the frame's, and back to the start.
            importer.SetSize(width / 9 + 1, std::min(height * 3 + 1, 300));
            importer.GetRgbFrame(0, image, nullptr, 24);
            CBK_MediaImporter::IMAGE_DESCRIPTION picture;
            CBK_MediaImporter::SOUND_DESCRIPTION sound;
            importer.GetImageDescription(picture);
            importer.GetSoundDescription(sound);
            CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
            form.m_dRate = 11025;
            form.m_nChannels = 1;
            if (importer.SetSoundExportDescription(form, nullptr)) {
                uint32_t bytes = 0, next = 0;
                const int32_t tenth = importer.GetTimeScale() / 10;
                std::unique_ptr<uint8_t[]> first(importer.GetSoundSamples(0, tenth, bytes, &next));
                std::unique_ptr<uint8_t[]> second(
                    importer.GetSoundSamples(next, tenth, bytes, &next));
                // Far ahead, on at another rate and back: seeks where the file allows.
                std::unique_ptr<uint8_t[]> ahead(
                    importer.GetSoundSamples(duration * 3 / 4, tenth, bytes, &next));
                form.m_dRate = 22050;
                if (importer.SetSoundExportDescription(form, nullptr)) {
                    std::unique_ptr<uint8_t[]> on(
                        importer.GetSoundSamples(next, tenth, bytes, &next));
                    std::unique_ptr<uint8_t[]> back(
                        importer.GetSoundSamples(duration / 2, tenth, bytes, &next));
                }
            }
        }
    }
    unlink(name);
    return 0;
}
