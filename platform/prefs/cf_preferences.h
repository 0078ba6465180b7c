// Core Foundation preferences: values under keys in named domains, one XML property list
// per domain and scope. The current user's lists are in $XDG_CONFIG_HOME/Stravel (or
// ~/.config/Stravel); the any-user lists in $STRAVEL_SYSTEM_PREFS (or /etc/xdg/Stravel).
// Lists of the current host only are in the folder's ByHost/ with the host name in their
// file name. Values set in this process are seen at once; nothing reaches the disk before
// CFPreferencesSynchronize.
#pragma once

#include <string>
#include <string_view>

#include "platform/cf_string.h"

namespace tbx {

using CFPropertyListRef = CFTypeRef;

extern const CFStringRef kCFPreferencesCurrentApplication; // the domain "Stravel"
extern const CFStringRef kCFPreferencesAnyUser;
extern const CFStringRef kCFPreferencesCurrentUser;
extern const CFStringRef kCFPreferencesAnyHost;
extern const CFStringRef kCFPreferencesCurrentHost;

// A new reference to the value, or null when the key has none (or the domain's list
// cannot be read).
CFPropertyListRef CFPreferencesCopyValue(CFStringRef key, CFStringRef applicationID,
                                         CFStringRef userName, CFStringRef hostName);
// Null removes the key. The value is retained.
void CFPreferencesSetValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID,
                           CFStringRef userName, CFStringRef hostName);
// Merges the values set here since the last call into the list on disk (values others have
// written to other keys are kept), writes it atomically when anything changed, and reloads
// it. A file that holds no list is renamed "<name>.plist.unreadable" (never over an older
// one: "-2", "-3"... follow) and the list starts empty. False, keeping the changes for a
// later call, when the list cannot be read or written or the domain name cannot be a file
// name.
Boolean CFPreferencesSynchronize(CFStringRef applicationID, CFStringRef userName,
                                 CFStringRef hostName);

// Replaces a list file whole, so that a reader sees either the old list or the new one.
using PreferencesFileWriter = bool (*)(const std::string& path, std::string_view bytes);
// The writer that CFPreferencesSynchronize stores lists with; replacing files safely is not
// this layer's work, so until a writer is installed nothing reaches the disk and the
// synchronisation fails, keeping the changes.
void CFPreferencesSetFileWriter(PreferencesFileWriter writer);

namespace test {
// The file that holds a domain's list for the scope; empty for an unusable domain name.
std::string PreferencesFilePath(CFStringRef applicationID, CFStringRef userName,
                                CFStringRef hostName);
// Forgets every value held in memory, as a new process would start.
void ResetPreferences();
} // namespace test

} // namespace tbx
