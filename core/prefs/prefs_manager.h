// CBK_PrefsManager: typed values under string keys in one preference domain. Setters change
// what this process sees at once; CloseRegistry writes them to disk.
#pragma once

#include <cstdint>

#include "platform/cf_string.h"
#include "platform/files/fs_types.h"

class CBK_PrefsManager {
public:
    enum PREFS_TYPE : int32_t {
        PREFS_ANY_USER_CURRENT_HOST = 0,
        PREFS_CURRENT_USER_ANY_HOST = 1,
    };
    enum ACCESS_TYPE : int32_t {
        ACCESS_READ = 1,
        ACCESS_WRITE = 2,
    };

    // Codes of the last failed setter.
    enum : int32_t {
        ERR_DELETE_KEY = 602,
        ERR_SYNCHRONIZE = 603,
        ERR_STRING_KEY = 604,
        ERR_STRING_VALUE = 605,
        ERR_FLOAT_KEY = 606,
        ERR_FLOAT_VALUE = 607,
        ERR_NUMBER_KEY = 608,
        ERR_NUMBER_VALUE = 609,
        ERR_BOOLEAN_KEY = 610,
        ERR_BINARY_KEY = 611,
    };

    CBK_PrefsManager() = default;
    CBK_PrefsManager(const CBK_PrefsManager&) = delete;
    CBK_PrefsManager& operator=(const CBK_PrefsManager&) = delete;
    // Writes what changed, and lets go of the domain even when nothing did.
    ~CBK_PrefsManager();

    // Opens the domain `name` (null: the application's own) and reads what others stored.
    // An open store is closed first.
    bool OpenRegistry(const wchar_t* name, PREFS_TYPE type, ACCESS_TYPE access);
    // Writes the changes and closes the store; with nothing changed it returns false and the
    // store stays open.
    bool CloseRegistry();
    bool IsOpen() const { return _applicationId != nullptr; }
    int32_t GetLastError() const { return _lastError; }

    bool KeyExists(const wchar_t* key) const;
    bool DeleteKey(const wchar_t* key);

    // At most size-1 characters and the terminator.
    bool GetString(const wchar_t* key, wchar_t* buffer, uint32_t size) const;
    bool SetString(const wchar_t* key, const wchar_t* value);
    bool GetBoolean(const wchar_t* key, bool& value) const;
    bool SetBoolean(const wchar_t* key, bool value);
    // 32-bit numbers: a value stored unsigned reads back unchanged through either getter's
    // 32 bits.
    bool GetNumber(const wchar_t* key, int32_t& value) const;
    bool GetNumber(const wchar_t* key, uint32_t& value) const;
    bool SetNumber(const wchar_t* key, int32_t value);
    bool SetNumber(const wchar_t* key, uint32_t value);
    bool GetFloat(const wchar_t* key, float& value) const;
    bool SetFloat(const wchar_t* key, float value);
    bool GetDouble(const wchar_t* key, double& value) const;
    bool SetDouble(const wchar_t* key, double value);
    bool SetBinary(const wchar_t* key, const void* data, uint32_t n);
    // The data's length when it fits into `size` bytes (copied), else 0 and nothing copied.
    uint32_t GetBinary(const wchar_t* key, void* buffer, uint32_t size) const;

    // A file reference, kept as the item's path; the getter fails for a key that holds no
    // path or an item that is no longer there.
    bool SetFile(const wchar_t* key, const tbx::FSRef& ref);
    bool GetFile(const wchar_t* key, tbx::FSRef& ref) const;

private:
    // A new reference to the key's value, or null.
    tbx::CFTypeRef CopyValue(const wchar_t* key) const;
    bool Store(const wchar_t* key, tbx::CFTypeRef value, int32_t keyError);

    int32_t _lastError = 0;
    tbx::CFStringRef _applicationId = nullptr;
    tbx::CFStringRef _ownedName = nullptr;
    tbx::CFStringRef _user = nullptr;
    tbx::CFStringRef _host = nullptr;
    bool _dirty = false;
};
