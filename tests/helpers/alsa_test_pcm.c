/* An ALSA playback device of the tests' own that plays only as far as the test says: the file
 * that the configuration names ("position") holds the count of frames heard since the device
 * was last made ready, so that a test sets where the device stands. What is written is
 * dropped. Loaded by ALSA through a configuration that the test writes. */
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "alsa_plugin_settings.h"

typedef struct {
    snd_pcm_ioplug_t io;
    char* position;
    snd_pcm_uframes_t origin; /* the file's count when the device was made ready */
} TestPcm;

static snd_pcm_uframes_t ReadCount(const TestPcm* pcm) {
    unsigned long count = 0;
    FILE* file = fopen(pcm->position, "r");
    if (file) {
        if (fscanf(file, "%lu", &count) != 1)
            count = 0;
        fclose(file);
    }
    return count;
}

static int Start(snd_pcm_ioplug_t* io) {
    (void)io;
    return 0;
}

static int Prepare(snd_pcm_ioplug_t* io) {
    TestPcm* pcm = io->private_data;
    pcm->origin = ReadCount(pcm);
    return 0;
}

/* Never past what was written. */
static snd_pcm_sframes_t Pointer(snd_pcm_ioplug_t* io) {
    const TestPcm* pcm = io->private_data;
    snd_pcm_uframes_t heard = ReadCount(pcm);
    heard = heard > pcm->origin ? heard - pcm->origin : 0;
    if (heard > io->appl_ptr)
        heard = io->appl_ptr;
    return (snd_pcm_sframes_t)(heard % io->buffer_size);
}

static snd_pcm_sframes_t Transfer(snd_pcm_ioplug_t* io, const snd_pcm_channel_area_t* areas,
                                  snd_pcm_uframes_t offset, snd_pcm_uframes_t size) {
    (void)io;
    (void)areas;
    (void)offset;
    return (snd_pcm_sframes_t)size;
}

static int Close(snd_pcm_ioplug_t* io) {
    TestPcm* pcm = io->private_data;
    free(pcm->position);
    free(pcm);
    return 0;
}

static const snd_pcm_ioplug_callback_t kCallbacks = {
    .start = Start,
    .stop = Start,
    .pointer = Pointer,
    .transfer = Transfer,
    .close = Close,
    .prepare = Prepare,
};

SND_PCM_PLUGIN_DEFINE_FUNC(stravel_test_pcm) {
    static const char* const keys[] = {"position"};
    const char* position = NULL;
    (void)root;
    if (ReadPluginSettings(conf, keys, &position, 1) < 0 || !position ||
        stream != SND_PCM_STREAM_PLAYBACK)
        return -EINVAL;
    TestPcm* pcm = calloc(1, sizeof *pcm);
    if (!pcm)
        return -ENOMEM;
    pcm->position = strdup(position);
    pcm->io.version = SND_PCM_IOPLUG_VERSION;
    pcm->io.name = "Stravel test device";
    pcm->io.callback = &kCallbacks;
    pcm->io.private_data = pcm;
    static const unsigned int access[] = {SND_PCM_ACCESS_RW_INTERLEAVED};
    static const unsigned int formats[] = {SND_PCM_FORMAT_S8, SND_PCM_FORMAT_S16_LE,
                                           SND_PCM_FORMAT_S24_3LE, SND_PCM_FORMAT_S32_LE};
    int error = pcm->position ? snd_pcm_ioplug_create(&pcm->io, name, stream, mode) : -ENOMEM;
    if (error < 0) {
        free(pcm->position);
        free(pcm);
        return error;
    }
    static const struct {
        int type;
        unsigned min, max;
    } ranges[] = {{SND_PCM_IOPLUG_HW_CHANNELS, 1, 16},
                  {SND_PCM_IOPLUG_HW_RATE, 8000, 192000},
                  {SND_PCM_IOPLUG_HW_PERIOD_BYTES, 64, 1 << 20},
                  {SND_PCM_IOPLUG_HW_PERIODS, 2, 64}};
    error = snd_pcm_ioplug_set_param_list(&pcm->io, SND_PCM_IOPLUG_HW_ACCESS, 1, access);
    if (error >= 0)
        error = snd_pcm_ioplug_set_param_list(&pcm->io, SND_PCM_IOPLUG_HW_FORMAT, 4, formats);
    for (size_t r = 0; error >= 0 && r < sizeof ranges / sizeof ranges[0]; ++r)
        error =
            snd_pcm_ioplug_set_param_minmax(&pcm->io, ranges[r].type, ranges[r].min, ranges[r].max);
    if (error < 0) {
        snd_pcm_ioplug_delete(&pcm->io);
        return error;
    }
    *pcmp = pcm->io.pcm;
    return 0;
}
SND_PCM_PLUGIN_SYMBOL(stravel_test_pcm);
