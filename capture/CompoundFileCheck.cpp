#include "capture/CompoundFileCheck.h"

#include <cstring>
#include <vector>

#include "base/ByteReader.h"

namespace brx {

namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kHeaderBytes = 512;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr uint32_t kHeaderFatEntries = 109;
constexpr uint32_t kDirectoryEntry = 128;
constexpr uint32_t kMiniSector = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;

enum : uint8_t { ENTRY_UNUSED = 0, ENTRY_STORAGE = 1, ENTRY_STREAM = 2, ENTRY_ROOT = 5 };

class CStructure {
public:
    CStructure(IRecordSource& file, uint64_t size) : file_(file), size_(size) {}

    bool Check() {
        uint8_t h[kHeaderBytes];
        if (size_ < kHeaderBytes || !Read(0, h, kHeaderBytes) || std::memcmp(h, kSignature, 8) != 0) return false;
        const ByteReader r(h, kHeaderBytes);
        const uint16_t major = r.u16le_or(26), shift = r.u16le_or(30);
        if (r.u16le_or(28) != 0xFFFE || r.u16le_or(32) != 6) return false;
        if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) return false;
        if (r.u32le_or(56) != kMiniStreamCutoff) return false;
        shift_ = shift;
        sectorSize_ = 1u << shift;
        version4_ = major == 4;
        const uint64_t whole = size_ >> shift_;
        if (whole < 2) return false;
        sectors_ = static_cast<uint32_t>(std::min<uint64_t>(whole - 1, kMaxRegularSector));
        seen_.assign(sectors_, 0);

        const uint32_t fatCount = r.u32le_or(44);
        if (fatCount == 0 || fatCount > sectors_ || r.u32le_or(72) > sectors_ || r.u32le_or(64) > sectors_)
            return false;
        if (!ReadFat(r, fatCount)) return false;
        return CheckDirectory(r.u32le_or(48)) && CheckMiniFat(r.u32le_or(60), r.u32le_or(64)) && CheckTree();
    }

private:
    bool Read(uint64_t position, void* destination, uint32_t length) {
        uint32_t got = 0;
        return file_.ReadAt(position, destination, length, &got) && got == length;
    }
    // A structure sector: whole inside the file, taken once.
    bool Take(uint32_t sector) {
        if (sector >= sectors_ || seen_[sector]) return false;
        seen_[sector] = 1;
        return true;
    }
    bool ReadSector(uint32_t sector, std::vector<uint8_t>& out) {
        out.resize(sectorSize_);
        return Read((uint64_t{sector} + 1) << shift_, out.data(), sectorSize_);
    }

    // The allocation table: its sectors from the header and the DIFAT chain.
    bool ReadFat(const ByteReader& header, uint32_t fatCount) {
        std::vector<uint32_t> fatSectors;
        for (uint32_t i = 0; i < kHeaderFatEntries && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(header.u32le_or(76 + 4 * i));
        uint32_t difat = header.u32le_or(68);
        const uint32_t perDifat = sectorSize_ / 4 - 1;
        std::vector<uint8_t> buffer;
        for (uint32_t d = 0; d < header.u32le_or(72) && fatSectors.size() < fatCount; ++d) {
            if (!Take(difat) || !ReadSector(difat, buffer)) return false;
            const ByteReader s(buffer.data(), buffer.size());
            for (uint32_t i = 0; i < perDifat && fatSectors.size() < fatCount; ++i) fatSectors.push_back(s.u32le_or(4 * i));
            difat = s.u32le_or(4 * perDifat);
        }
        if (fatSectors.size() != fatCount) return false;
        fat_.resize(size_t{fatCount} * (sectorSize_ / 4));
        for (uint32_t i = 0; i < fatCount; ++i) {
            if (!Take(fatSectors[i]) || !ReadSector(fatSectors[i], buffer)) return false;
            std::memcpy(fat_.data() + size_t{i} * (sectorSize_ / 4), buffer.data(), sectorSize_);
        }
        for (uint32_t& e : fat_) e = ByteReader(&e, 4).u32le_or(0);
        return true;
    }

    // Follows a chain of the allocation table. Strict chains (the file's own
    // structure) stay inside the file; sectors of stream data may lie past
    // its end (a cut file reads them short). Every chain ends, no sector
    // inside the file is in two chains, and all chains together take no more
    // steps than the table has entries.
    bool Chain(uint32_t start, bool strict, std::vector<uint32_t>* out) {
        for (uint32_t sector = start; sector != kEndOfChain; sector = fat_[sector]) {
            if (sector > kMaxRegularSector || sector >= fat_.size() || ++steps_ > fat_.size()) return false;
            if (sector < sectors_) {
                if (seen_[sector]) return false;
                seen_[sector] = 1;
            } else if (strict) {
                return false;
            }
            if (out) out->push_back(sector);
        }
        return true;
    }

    bool CheckDirectory(uint32_t first) {
        std::vector<uint32_t> chain;
        if (!Chain(first, true, &chain) || chain.empty()) return false;
        std::vector<uint8_t> buffer;
        directory_.reserve(chain.size() * sectorSize_);
        for (uint32_t s : chain) {
            if (!ReadSector(s, buffer)) return false;
            directory_.insert(directory_.end(), buffer.begin(), buffer.end());
        }
        entries_ = static_cast<uint32_t>(directory_.size() / kDirectoryEntry);
        return Entry(0).u8or(66) == ENTRY_ROOT;
    }

    bool CheckMiniFat(uint32_t first, uint32_t count) {
        std::vector<uint32_t> chain;
        if (!Chain(count ? first : kEndOfChain, true, &chain) || chain.size() != count) return false;
        std::vector<uint8_t> buffer;
        for (uint32_t s : chain) {
            if (!ReadSector(s, buffer)) return false;
            for (uint32_t i = 0; i < sectorSize_ / 4; ++i) miniFat_.push_back(ByteReader(buffer.data(), buffer.size()).u32le_or(4 * i));
        }
        // The root's mini stream holds the small streams.
        const ByteReader root = Entry(0);
        const uint64_t miniSize = StreamSize(root);
        std::vector<uint32_t> mini;
        if (!Chain(root.u32le_or(116), false, &mini) || uint64_t{mini.size()} * sectorSize_ < miniSize) return false;
        miniSectors_ = static_cast<uint32_t>(miniSize / kMiniSector);
        miniSeen_.assign(miniSectors_, 0);
        return true;
    }

    bool MiniChain(uint32_t start, uint64_t size) {
        uint32_t sector = start;
        uint64_t count = 0;
        for (; sector != kEndOfChain; ++count) {
            if (sector >= miniSectors_ || sector >= miniFat_.size() || miniSeen_[sector]) return false;
            miniSeen_[sector] = 1;
            sector = miniFat_[sector];
        }
        return count * kMiniSector >= size;
    }

    // Every entry of the directory tree once, each stream's chain sound.
    bool CheckTree() {
        std::vector<uint8_t> visited(entries_, 0);
        std::vector<uint32_t> pending = {Entry(0).u32le_or(76)};
        visited[0] = 1;
        while (!pending.empty()) {
            const uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoEntry) continue;
            if (id >= entries_ || visited[id]) return false;
            visited[id] = 1;
            const ByteReader e = Entry(id);
            const uint8_t type = e.u8or(66);
            const uint16_t nameBytes = e.u16le_or(64);
            if (nameBytes > 64 || (nameBytes & 1)) return false;
            pending.push_back(e.u32le_or(68));
            pending.push_back(e.u32le_or(72));
            if (type == ENTRY_STORAGE) {
                pending.push_back(e.u32le_or(76));
            } else if (type == ENTRY_STREAM) {
                const uint64_t size = StreamSize(e);
                const uint32_t start = e.u32le_or(116);
                if (size < kMiniStreamCutoff ? !MiniChain(start, size) : !Chain(start, false, nullptr)) return false;
            } else {
                return false;
            }
        }
        return true;
    }

    ByteReader Entry(uint32_t id) const {
        return ByteReader(directory_.data(), directory_.size()).sub(size_t{id} * kDirectoryEntry, kDirectoryEntry);
    }
    uint64_t StreamSize(const ByteReader& e) const {
        return version4_ ? e.u64le_or(120) : e.u32le_or(120);
    }

    IRecordSource& file_;
    uint64_t size_;
    uint32_t shift_ = 9;
    uint32_t sectorSize_ = 512;
    bool version4_ = false;
    uint32_t sectors_ = 0;
    std::vector<uint8_t> seen_;
    size_t steps_ = 0;
    std::vector<uint32_t> fat_;
    std::vector<uint8_t> directory_;
    uint32_t entries_ = 0;
    std::vector<uint32_t> miniFat_;
    uint32_t miniSectors_ = 0;
    std::vector<uint8_t> miniSeen_;
};

} // namespace

bool CheckCompoundFileStructure(IRecordSource& file, uint64_t fileSize) {
    try {
        return CStructure(file, fileSize).Check();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace brx
