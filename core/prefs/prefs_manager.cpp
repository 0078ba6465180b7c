#include "core/prefs/prefs_manager.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"
#include "platform/cf_data.h"
#include "platform/cf_number.h"
#include "platform/prefs/cf_preferences.h"

namespace {

// Releases a reference when it goes out of scope.
struct Owned {
    explicit Owned(tbx::CFTypeRef object) : object(object) {}
    ~Owned() { tbx::CFRelease(object); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    tbx::CFTypeRef object;
};

bool Is(tbx::CFTypeRef value, tbx::CFTypeID type) {
    return value && tbx::CFGetTypeID(value) == type;
}

} // namespace

CBK_PrefsManager::~CBK_PrefsManager() {
    CloseRegistry();
    tbx::CFRelease(_ownedName);
}

bool CBK_PrefsManager::OpenRegistry(const wchar_t* name, PREFS_TYPE type, ACCESS_TYPE) {
    if (type != PREFS_ANY_USER_CURRENT_HOST && type != PREFS_CURRENT_USER_ANY_HOST)
        return false;
    if (IsOpen()) {
        CloseRegistry();
        tbx::CFRelease(_ownedName);
        _ownedName = nullptr;
        _applicationId = nullptr;
        _dirty = false;
    }
    if (name) {
        _ownedName = BK_MakeCFString(name);
        if (!_ownedName)
            return false;
        _applicationId = _ownedName;
    } else {
        _applicationId = tbx::kCFPreferencesCurrentApplication;
    }
    tbx::CFPreferencesSetFileWriter(&BK_WriteFileAtomically);
    const bool anyUser = type == PREFS_ANY_USER_CURRENT_HOST;
    _user = anyUser ? tbx::kCFPreferencesAnyUser : tbx::kCFPreferencesCurrentUser;
    _host = anyUser ? tbx::kCFPreferencesCurrentHost : tbx::kCFPreferencesAnyHost;
    if (!tbx::CFPreferencesSynchronize(_applicationId, _user, _host)) {
        tbx::CFRelease(_ownedName);
        _ownedName = nullptr;
        _applicationId = nullptr;
        return false;
    }
    return true;
}

bool CBK_PrefsManager::CloseRegistry() {
    if (!IsOpen() || !_dirty)
        return false;
    if (!tbx::CFPreferencesSynchronize(_applicationId, _user, _host)) {
        _lastError = ERR_SYNCHRONIZE;
        return false;
    }
    tbx::CFRelease(_ownedName);
    _ownedName = nullptr;
    _applicationId = nullptr;
    _dirty = false;
    return true;
}

tbx::CFTypeRef CBK_PrefsManager::CopyValue(const wchar_t* key) const {
    if (!IsOpen())
        return nullptr;
    Owned name(BK_MakeCFString(key));
    if (!name.object)
        return nullptr;
    return tbx::CFPreferencesCopyValue(static_cast<tbx::CFStringRef>(name.object), _applicationId,
                                       _user, _host);
}

bool CBK_PrefsManager::Store(const wchar_t* key, tbx::CFTypeRef value, int32_t keyError) {
    if (!IsOpen())
        return false;
    Owned name(BK_MakeCFString(key));
    if (!name.object) {
        _lastError = keyError;
        return false;
    }
    tbx::CFPreferencesSetValue(static_cast<tbx::CFStringRef>(name.object), value, _applicationId,
                               _user, _host);
    _dirty = true;
    return true;
}

bool CBK_PrefsManager::KeyExists(const wchar_t* key) const {
    Owned value(CopyValue(key));
    return value.object != nullptr;
}

bool CBK_PrefsManager::DeleteKey(const wchar_t* key) {
    return Store(key, nullptr, ERR_DELETE_KEY);
}

bool CBK_PrefsManager::GetString(const wchar_t* key, wchar_t* buffer, uint32_t size) const {
    if (!buffer || size == 0)
        return false;
    Owned value(CopyValue(key));
    if (!Is(value.object, tbx::CFStringGetTypeID()))
        return false;
    const int32_t limit = static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX));
    return BK_CFStringGetCharacters(static_cast<tbx::CFStringRef>(value.object), buffer, limit);
}

bool CBK_PrefsManager::SetString(const wchar_t* key, const wchar_t* value) {
    if (!IsOpen())
        return false;
    if (!key) {
        _lastError = ERR_STRING_KEY;
        return false;
    }
    Owned string(BK_MakeCFString(value));
    if (!string.object) {
        _lastError = ERR_STRING_VALUE;
        return false;
    }
    return Store(key, string.object, ERR_STRING_KEY);
}

bool CBK_PrefsManager::GetBoolean(const wchar_t* key, bool& value) const {
    Owned stored(CopyValue(key));
    // Only a boolean answers; a number or text under the key is not read as one.
    if (!Is(stored.object, tbx::CFBooleanGetTypeID()))
        return false;
    value = tbx::CFBooleanGetValue(static_cast<tbx::CFBooleanRef>(stored.object));
    return true;
}

bool CBK_PrefsManager::SetBoolean(const wchar_t* key, bool value) {
    return Store(key, value ? tbx::kCFBooleanTrue : tbx::kCFBooleanFalse, ERR_BOOLEAN_KEY);
}

bool CBK_PrefsManager::GetNumber(const wchar_t* key, int32_t& value) const {
    Owned stored(CopyValue(key));
    int32_t number = 0;
    if (!Is(stored.object, tbx::CFNumberGetTypeID()) ||
        !tbx::CFNumberGetValue(static_cast<tbx::CFNumberRef>(stored.object),
                               tbx::kCFNumberSInt32Type, &number))
        return false;
    value = number;
    return true;
}

bool CBK_PrefsManager::GetNumber(const wchar_t* key, uint32_t& value) const {
    int32_t number = 0;
    if (!GetNumber(key, number))
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool CBK_PrefsManager::SetNumber(const wchar_t* key, int32_t value) {
    if (!IsOpen())
        return false;
    Owned number(tbx::CFNumberCreate(nullptr, tbx::kCFNumberLongType, &value));
    if (!number.object) {
        _lastError = ERR_NUMBER_VALUE;
        return false;
    }
    return Store(key, number.object, ERR_NUMBER_KEY);
}

bool CBK_PrefsManager::SetNumber(const wchar_t* key, uint32_t value) {
    return SetNumber(key, static_cast<int32_t>(value));
}

bool CBK_PrefsManager::GetFloat(const wchar_t* key, float& value) const {
    Owned stored(CopyValue(key));
    float number = 0;
    if (!Is(stored.object, tbx::CFNumberGetTypeID()) ||
        !tbx::CFNumberGetValue(static_cast<tbx::CFNumberRef>(stored.object),
                               tbx::kCFNumberFloat32Type, &number))
        return false;
    value = number;
    return true;
}

bool CBK_PrefsManager::SetFloat(const wchar_t* key, float value) {
    if (!IsOpen())
        return false;
    Owned number(tbx::CFNumberCreate(nullptr, tbx::kCFNumberFloatType, &value));
    if (!number.object) {
        _lastError = ERR_FLOAT_VALUE;
        return false;
    }
    return Store(key, number.object, ERR_FLOAT_KEY);
}

bool CBK_PrefsManager::GetDouble(const wchar_t* key, double& value) const {
    Owned stored(CopyValue(key));
    double number = 0;
    if (!Is(stored.object, tbx::CFNumberGetTypeID()) ||
        !tbx::CFNumberGetValue(static_cast<tbx::CFNumberRef>(stored.object),
                               tbx::kCFNumberDoubleType, &number))
        return false;
    value = number;
    return true;
}

bool CBK_PrefsManager::SetDouble(const wchar_t* key, double value) {
    if (!IsOpen())
        return false;
    Owned number(tbx::CFNumberCreate(nullptr, tbx::kCFNumberDoubleType, &value));
    if (!number.object) {
        _lastError = ERR_FLOAT_VALUE;
        return false;
    }
    return Store(key, number.object, ERR_FLOAT_KEY);
}

bool CBK_PrefsManager::SetBinary(const wchar_t* key, const void* data, uint32_t n) {
    if (!IsOpen() || (n > 0 && !data))
        return false;
    Owned bytes(tbx::CFDataCreate(nullptr, static_cast<const tbx::UInt8*>(data), n));
    return Store(key, bytes.object, ERR_BINARY_KEY);
}

uint32_t CBK_PrefsManager::GetBinary(const wchar_t* key, void* buffer, uint32_t size) const {
    Owned stored(CopyValue(key));
    if (!Is(stored.object, tbx::CFDataGetTypeID()))
        return 0;
    auto data = static_cast<tbx::CFDataRef>(stored.object);
    const tbx::CFIndex length = tbx::CFDataGetLength(data);
    if (length <= 0 || static_cast<uint64_t>(length) > size || !buffer)
        return 0;
    std::memcpy(buffer, tbx::CFDataGetBytePtr(data), static_cast<std::size_t>(length));
    return static_cast<uint32_t>(length);
}

bool CBK_PrefsManager::SetFile(const wchar_t* key, const tbx::FSRef& ref) {
    if (!IsOpen())
        return false;
    if (!key) {
        _lastError = ERR_BINARY_KEY;
        return false;
    }
    const std::wstring path = CBK_Path(ref).GetFullPathString();
    if (path.empty())
        return false;
    Owned string(BK_MakeCFString(path.c_str()));
    return string.object && Store(key, string.object, ERR_BINARY_KEY);
}

bool CBK_PrefsManager::GetFile(const wchar_t* key, tbx::FSRef& ref) const {
    Owned stored(CopyValue(key));
    if (!Is(stored.object, tbx::CFStringGetTypeID()))
        return false;
    tbx::FSRef found;
    if (!CBK_Path(BK_WidenCFString(static_cast<tbx::CFStringRef>(stored.object))).GetFSRef(found))
        return false;
    ref = found;
    return true;
}
