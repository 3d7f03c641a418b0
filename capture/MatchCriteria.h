// Match criteria: which phases, URB directions and request kinds a find or a
// filter selects. The criteria travel as a fixed 908-byte image between the
// settings dialogs and this class, and are kept in the registry as a 96-byte
// blob with the 640 kind selections packed into a bitmap (KIND_BITMAP), which
// the capture settings share.
//
// Everything that arrives from outside (an image, a blob, a bitmap) is checked
// before it replaces anything: a wrong size or a bad offset leaves the
// criteria as they were.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/Record.h"
#include "capture/RecordView.h"

// The registry key handle type, declared without the system header so that
// pure code can name it; only the Windows library defines the operations that
// take it.
struct HKEY__;

namespace brx {

// The criteria image.
constexpr uint32_t CRITERIA_IMAGE_SIZE = 908;
constexpr uint32_t CRITERIA_ISSUE = 0;        // flag bytes of the image
constexpr uint32_t CRITERIA_SUCCESS = 1;
constexpr uint32_t CRITERIA_FAILURE = 2;
constexpr uint32_t CRITERIA_INPUT = 4;
constexpr uint32_t CRITERIA_OUTPUT = 5;
// The data pattern a find looks for: its length at byte 8, its bytes from
// byte 12 (at most 256). Bytes 8..267 form the pattern area.
constexpr uint32_t CRITERIA_PATTERN_COUNT = 8;
constexpr uint32_t CRITERIA_PATTERN = 12;
constexpr uint32_t CRITERIA_PATTERN_MAX = 256;
constexpr uint32_t CRITERIA_KINDS = 268;      // the 640 kind selections
constexpr uint32_t KIND_SELECTION_COUNT = 640;

// KIND_INDEX: the position of a request kind in the 640 selections.
constexpr uint32_t KIND_INDEX_URB = 64;       // 64 + URB function
constexpr uint32_t KIND_INDEX_URB_LAST_FUNCTION = 0x34;
constexpr int32_t NO_KIND_INDEX = -1;

// The position of a request kind that is not a URB; NO_KIND_INDEX for a kind
// without one. URB kinds take their position from the URB's function
// (KindIndexOfUrbFunction), never from the kind, so they give NO_KIND_INDEX.
int32_t KindIndexOf(uint32_t kind);
// 64 + function for functions 0x00..0x34; NO_KIND_INDEX above.
int32_t KindIndexOfUrbFunction(uint32_t function);

// KIND_BITMAP: DWORD size (84) and 640 bits, most significant bit first.
constexpr uint32_t KIND_BITMAP_SIZE = 84;
// Packs the selections (only the value 1 counts) into target: 0 when count is
// below 640 or the target below 84 bytes (nothing written), else 1.
int PackKindBitmap(const uint8_t* selections, size_t count, uint8_t* target, size_t targetSize);
// Unpacks a bitmap of `available` bytes into 640 selection bytes (0 or 1).
// Reads at most min(available, the bitmap's size field) bytes; bits past the
// 640th are ignored. 0 when available is 4 or less, the size field is 4 or
// less, or the target holds fewer than 640 bytes; the target is zeroed unless
// it is too small.
int UnpackKindBitmap(const uint8_t* bitmap, size_t available, uint8_t* target, size_t targetSize);

// MATCH_CRITERIA_BLOB: total size, bitmap offset, flags, KIND_BITMAP.
constexpr uint32_t CRITERIA_BLOB_SIZE = 96;
constexpr uint32_t CRITERIA_BLOB_HEADER = 12;
enum : uint32_t {
    CRITERIA_FLAG_ISSUE = 0x01,
    CRITERIA_FLAG_SUCCESS = 0x02,
    CRITERIA_FLAG_FAILURE = 0x04,
    CRITERIA_FLAG_INPUT = 0x08,
    CRITERIA_FLAG_OUTPUT = 0x10,
};
using CriteriaBlob = std::array<uint8_t, CRITERIA_BLOB_SIZE>;

// Preset names are at most this long (the enumeration skips longer ones).
constexpr uint32_t CRITERIA_PRESET_NAME_MAX = 60;

// Called for each preset name; returning 0 stops the enumeration.
using PresetCallback = int (*)(const wchar_t* name, void* userData);

class CMatchCriteria {
public:
    CMatchCriteria() { Reset(); }
    virtual ~CMatchCriteria() = default;

    // The registry section; empty for the base.
    const wchar_t* GetSection() const { return section_; }

    // Image all zero, canMatch 0.
    void Reset();
    // Copies the image into out; 0 (nothing written) when out holds fewer
    // than 908 bytes.
    int GetImage(uint8_t* out, size_t size) const;
    // Loads an image: the five flag bytes, the data pattern (a count above
    // 256 is taken as 256) and the selections that equal 1; other bytes are
    // ignored. 0 and the criteria unchanged when the image is not exactly
    // 908 bytes.
    int SetImage(const uint8_t* image, size_t size);
    // 1 when a phase flag and a kind are selected.
    uint32_t CanMatch() const { return canMatch_; }

    // The data pattern (empty: none).
    uint32_t PatternLength() const { return image_[CRITERIA_PATTERN_COUNT]; }
    const uint8_t* Pattern() const { return image_ + CRITERIA_PATTERN; }
    // 1 when there is no pattern or the bytes hold it somewhere.
    int MatchPattern(const uint8_t* data, size_t length) const;

    // 1 when the record in the view meets the phases, directions and kinds;
    // the view was filled with the log's record layout. The data pattern is
    // not looked at here: it is tested against a record's data bytes, which
    // the finder reads whole (MatchPattern).
    int Match(const CRecordView& view, const RECORD_LAYOUT& layout) const;

    // The fixed part: header, flags and kind bitmap.
    CriteriaBlob ToBlob() const;
    // What the registry keeps: the fixed part, followed, when there is a data
    // pattern, by its length (DWORD) and its bytes (the total size counts
    // them).
    std::vector<uint8_t> ToStoredBlob() const;
    // Loads a blob of `size` bytes; 0 with the criteria unchanged when its
    // sizes or its bitmap offset do not fit the bytes given. A pattern tail
    // that does not fit the total size is ignored (no pattern).
    int FromBlob(const uint8_t* blob, size_t size);

    // Registry (Windows only): the blob as a REG_BINARY value. 1 on success;
    // on any failure 0 with the criteria unchanged.
    int WriteToKey(HKEY__* key, const wchar_t* valueName) const;
    int ReadFromKey(HKEY__* key, const wchar_t* valueName);
    // Value "0" of the section key.
    int LoadCurrent();
    int SaveCurrent() const;
    // Values of subkey "0" of the section. Names are 1 to 60 characters.
    int LoadPreset(const wchar_t* name);
    int SavePreset(const wchar_t* name) const;
    int DeletePreset(const wchar_t* name) const;
    void EnumPresets(PresetCallback callback, void* userData) const;

protected:
    explicit CMatchCriteria(const wchar_t* section) : section_(section) { Reset(); }

private:
    bool Flag(uint32_t at) const { return image_[at] == 1; }
    bool Selected(int32_t position) const {
        return position >= 0 && static_cast<uint32_t>(position) < KIND_SELECTION_COUNT &&
               image_[CRITERIA_KINDS + position] == 1;
    }
    void UpdateCanMatch();

    const wchar_t* section_ = L"";
    uint8_t image_[CRITERIA_IMAGE_SIZE];
    uint32_t canMatch_ = 0;
};

class CFilterSettings : public CMatchCriteria {
public:
    CFilterSettings() : CMatchCriteria(L"FilterSettings") {}
};

class CFindSettings : public CMatchCriteria {
public:
    CFindSettings() : CMatchCriteria(L"FindSettings") {}
};

// True when the completion in the view carries a Bulk-Only status wrapper
// that reports a failed command (status byte not 0).
bool IsFailedStatusWrapper(const CRecordView& view);

} // namespace brx
