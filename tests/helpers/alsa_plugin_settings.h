/* The string settings of the tests' ALSA plugins, as their configuration gives them. */
#pragma once

#include <alsa/asoundlib.h>
#include <errno.h>
#include <string.h>

/* Each key named in `keys` sets the matching entry of `values`, which keeps its value when
 * the key is absent; "type" and "comment" are passed over. -EINVAL for any other key or for a
 * value that is not a string. */
static inline int ReadPluginSettings(snd_config_t* conf, const char* const* keys,
                                     const char** values, int count) {
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* entry = snd_config_iterator_entry(i);
        const char* key = NULL;
        if (snd_config_get_id(entry, &key) < 0 || strcmp(key, "type") == 0 ||
            strcmp(key, "comment") == 0)
            continue;
        int k = 0;
        while (k < count && strcmp(key, keys[k]) != 0)
            ++k;
        if (k == count || snd_config_get_string(entry, &values[k]) < 0)
            return -EINVAL;
    }
    return 0;
}
