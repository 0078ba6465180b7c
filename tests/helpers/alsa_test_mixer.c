/* An ALSA control device of the tests' own, so that no test touches a real mixer: one stereo
 * integer element (by default "Master Playback Volume", levels 5 to 69) whose levels live in
 * the file that the configuration names ("state"), so that every opening sees what the last
 * one wrote. Loaded by ALSA through a configuration that the test writes. */
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "alsa_plugin_settings.h"

enum { kMin = 5, kMax = 69 };

typedef struct {
    snd_ctl_ext_t ext;
    char* state;
    char* element;
} TestMixer;

static void Load(const TestMixer* mixer, long levels[2]) {
    levels[0] = levels[1] = kMax;
    FILE* file = fopen(mixer->state, "r");
    if (!file)
        return;
    if (fscanf(file, "%ld %ld", &levels[0], &levels[1]) != 2)
        levels[0] = levels[1] = kMax;
    fclose(file);
}

static void Close(snd_ctl_ext_t* ext) {
    TestMixer* mixer = ext->private_data;
    free(mixer->state);
    free(mixer->element);
    free(mixer);
}

static int Count(snd_ctl_ext_t* ext) {
    (void)ext;
    return 1;
}

static int List(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    const TestMixer* mixer = ext->private_data;
    (void)offset;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, mixer->element);
    return 0;
}

static snd_ctl_ext_key_t Find(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    const TestMixer* mixer = ext->private_data;
    return strcmp(snd_ctl_elem_id_get_name(id), mixer->element) == 0 ? 0
                                                                     : SND_CTL_EXT_KEY_NOT_FOUND;
}

static int Attribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* access,
                     unsigned int* count) {
    (void)ext;
    (void)key;
    *type = SND_CTL_ELEM_TYPE_INTEGER;
    *access = SND_CTL_EXT_ACCESS_READWRITE;
    *count = 2;
    return 0;
}

static int Range(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* min, long* max, long* step) {
    (void)ext;
    (void)key;
    *min = kMin;
    *max = kMax;
    *step = 0;
    return 0;
}

static int Read(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* levels) {
    (void)key;
    Load(ext->private_data, levels);
    return 0;
}

static int Write(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* levels) {
    const TestMixer* mixer = ext->private_data;
    (void)key;
    FILE* file = fopen(mixer->state, "w");
    if (!file)
        return -EIO;
    fprintf(file, "%ld %ld\n", levels[0], levels[1]);
    return fclose(file) == 0 ? 1 : -EIO;
}

static const snd_ctl_ext_callback_t kCallbacks = {
    .close = Close,
    .elem_count = Count,
    .elem_list = List,
    .find_elem = Find,
    .get_attribute = Attribute,
    .get_integer_info = Range,
    .read_integer = Read,
    .write_integer = Write,
};

SND_CTL_PLUGIN_DEFINE_FUNC(stravel_test_mixer) {
    static const char* const keys[] = {"state", "element"};
    const char* values[] = {NULL, "Master Playback Volume"};
    (void)root;
    if (ReadPluginSettings(conf, keys, values, 2) < 0 || !values[0])
        return -EINVAL;
    const char* state = values[0];
    const char* element = values[1];
    TestMixer* mixer = calloc(1, sizeof *mixer);
    if (!mixer)
        return -ENOMEM;
    mixer->state = strdup(state);
    mixer->element = strdup(element);
    mixer->ext.version = SND_CTL_EXT_VERSION;
    mixer->ext.poll_fd = -1;
    strcpy(mixer->ext.id, "StravelTest");
    strcpy(mixer->ext.driver, "stravel");
    strcpy(mixer->ext.name, "Stravel test mixer");
    strcpy(mixer->ext.longname, "Stravel test mixer");
    strcpy(mixer->ext.mixername, "Stravel test mixer");
    mixer->ext.callback = &kCallbacks;
    mixer->ext.private_data = mixer;
    const int error =
        mixer->state && mixer->element ? snd_ctl_ext_create(&mixer->ext, name, mode) : -ENOMEM;
    if (error < 0) {
        Close(&mixer->ext);
        return error;
    }
    *handlep = mixer->ext.handle;
    return 0;
}
SND_CTL_PLUGIN_SYMBOL(stravel_test_mixer);
