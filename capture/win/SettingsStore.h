// The settings store: typed values in the current user's registry under
// "software\Brindlex\<section>". Each call opens the keys it needs and closes
// them before it returns; failures show only in the result.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace brx {

// The program key below "software"; created when missing. The caller closes it.
HKEY OpenAppRegKey();
// A section below the program key; created when missing. The caller closes it.
HKEY OpenAppRegSection(const wchar_t* section);

// The stored REG_DWORD, or the default when the section or the value is
// missing or the value is not a 4-byte REG_DWORD.
uint32_t ReadAppRegDword(const wchar_t* section, const wchar_t* value, uint32_t defaultValue);
int WriteAppRegDword(const wchar_t* section, const wchar_t* value, uint32_t number);

// Characters read, without the terminator. 0 when the value is missing, not
// REG_SZ or too large for the buffer; the buffer is then left as it was. A
// stored text without a terminator or of an odd byte length is read within
// the bytes stored, and the buffer is always terminated on success.
uint32_t ReadAppRegString(const wchar_t* section, const wchar_t* value, wchar_t* buffer,
                          uint32_t capacity);
// At most 511 characters (1024 bytes with the terminator); a longer text is
// refused with 0 and nothing is written.
int WriteAppRegString(const wchar_t* section, const wchar_t* value, const wchar_t* text);
constexpr uint32_t APP_REG_STRING_MAX_CHARS = 511;

// 1 and the size when a REG_BINARY value fits the buffer; 0 with the needed
// size when it does not (a null buffer with capacity 0 asks for the size); 0
// and size 0 when the value is missing or of another type.
int ReadAppRegBinary(const wchar_t* section, const wchar_t* value, void* buffer, uint32_t capacity,
                     uint32_t* size);
int WriteAppRegBinary(const wchar_t* section, const wchar_t* value, const void* bytes,
                      uint32_t count);

int DeleteAppRegValue(const wchar_t* section, const wchar_t* value);

// The same on a key the caller holds; the default (or 0) for a null key.
uint32_t ReadRegDword(HKEY key, const wchar_t* value, uint32_t defaultValue);
int WriteRegDword(HKEY key, const wchar_t* value, uint32_t number);
// A subkey of an open key, created when missing; null on failure.
HKEY CreateRegSubKey(HKEY key, const wchar_t* name);

// Calls visit(name, type, data, size) for the values of an open key in index
// order until it returns false. Names longer than maxNameChars and data larger
// than maxDataBytes are skipped. Returns the number of values visited.
using RegValueVisitor =
    std::function<bool(const wchar_t* name, uint32_t type, const uint8_t* data, uint32_t size)>;
uint32_t EnumRegValues(HKEY key, uint32_t maxNameChars, uint32_t maxDataBytes,
                       const RegValueVisitor& visit);

// Closes a key when it leaves scope.
class RegKeyHolder {
public:
    explicit RegKeyHolder(HKEY key) : key_(key) {}
    ~RegKeyHolder() {
        if (key_)
            RegCloseKey(key_);
    }
    RegKeyHolder(const RegKeyHolder&) = delete;
    RegKeyHolder& operator=(const RegKeyHolder&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

// A REG_BINARY value of an open key whose size is above minExclusive and at
// most maxBytes; false (out empty) when it is missing, of another type or of
// another size.
bool ReadRegBinaryValue(HKEY key, const wchar_t* value, uint32_t minExclusive, uint32_t maxBytes,
                        std::vector<uint8_t>& out);

// The presets of a settings section: REG_BINARY values in its subkey "0".
// Opened with the access given (null when it is missing), or created.
HKEY OpenAppRegPresetKey(const wchar_t* section, REGSAM access);
HKEY CreateAppRegPresetKey(const wchar_t* section);

// Tests point the store at a key of their own so that they never touch the
// settings of the product; null restores the product key.
void SetAppRegKeyNameForTesting(const char* name);

} // namespace brx
