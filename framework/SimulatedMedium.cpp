#include "framework/SimulatedMedium.h"

#include "framework/FileNameMatch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::uint64_t kSectorBytes = SimulatedMedium::BYTES_PER_SECTOR;
// A test block holds its stamps in bytes 0-11 and byte k = k everywhere else.
constexpr std::size_t kStampBytes = 12;
constexpr std::uint64_t kSectorsPerChunk = 65536;
constexpr std::uint8_t kCorruptionMask = 0x01;

using Sector = std::array<std::uint8_t, kSectorBytes>;

constexpr Sector MakePattern() {
    Sector pattern{};
    for (std::size_t k = 0; k < pattern.size(); ++k) pattern[k] = static_cast<std::uint8_t>(k);
    return pattern;
}
constexpr Sector kPattern = MakePattern();

bool HoldsPattern(const std::uint8_t* sector) {
    return std::memcmp(sector + kStampBytes, kPattern.data() + kStampBytes,
                       kSectorBytes - kStampBytes) == 0;
}

std::uint64_t SectorsFor(std::uint64_t bytes) {
    return (bytes + kSectorBytes - 1) / kSectorBytes;
}

[[noreturn]] void Fail(CFileException::Cause cause, const char* description) {
    throw CFileException(cause, 0, description);
}

// The physical store: a 16-byte entry per sector, in chunks allocated on first write. A sector
// whose bytes 12..255 hold the pattern keeps only its first 12 bytes; any other is kept whole.
class SectorStore {
  public:
    explicit SectorStore(std::uint8_t erasedValue) : m_erasedValue(erasedValue) {}

    void Read(std::uint64_t sector, std::uint8_t* out) const {
        const std::uint64_t chunk = sector / kSectorsPerChunk;
        const Entry* entry = chunk < m_chunks.size() && m_chunks[chunk]
                                 ? &m_chunks[chunk][sector % kSectorsPerChunk]
                                 : nullptr;
        if (entry == nullptr || entry->content == kNeverWritten) {
            std::memset(out, m_erasedValue, kSectorBytes);
        } else if (entry->content == kPatterned) {
            std::memcpy(out, entry->head.data(), kStampBytes);
            std::memcpy(out + kStampBytes, kPattern.data() + kStampBytes,
                        kSectorBytes - kStampBytes);
        } else {
            std::memcpy(out, m_wholeSectors[entry->content - kFirstWholeSlot].data(), kSectorBytes);
        }
    }

    void Write(std::uint64_t sector, const std::uint8_t* in) {
        Entry& entry = EntryFor(sector);
        const bool whole = entry.content >= kFirstWholeSlot;
        if (HoldsPattern(in)) {
            if (whole) m_freeWholeSlots.push_back(entry.content - kFirstWholeSlot);
            entry.content = kPatterned;
            std::memcpy(entry.head.data(), in, kStampBytes);
            return;
        }
        if (!whole) entry.content = kFirstWholeSlot + TakeWholeSlot();
        std::memcpy(m_wholeSectors[entry.content - kFirstWholeSlot].data(), in, kSectorBytes);
    }

  private:
    struct Entry {
        std::uint32_t content;  // kNeverWritten, kPatterned, or kFirstWholeSlot + a whole slot
        std::array<std::uint8_t, kStampBytes> head;
    };
    static constexpr std::uint32_t kNeverWritten = 0;
    static constexpr std::uint32_t kPatterned = 1;
    static constexpr std::uint32_t kFirstWholeSlot = 2;

    Entry& EntryFor(std::uint64_t sector) {
        const std::uint64_t chunk = sector / kSectorsPerChunk;
        if (chunk >= m_chunks.size()) m_chunks.resize(chunk + 1);
        if (!m_chunks[chunk]) m_chunks[chunk] = std::make_unique<Entry[]>(kSectorsPerChunk);
        return m_chunks[chunk][sector % kSectorsPerChunk];
    }

    std::uint32_t TakeWholeSlot() {
        if (m_freeWholeSlots.empty()) {
            if (m_wholeSectors.size() >= UINT32_MAX - kFirstWholeSlot)
                throw std::length_error("simulated medium: too many unpatterned sectors");
            m_wholeSectors.emplace_back();
            return static_cast<std::uint32_t>(m_wholeSectors.size() - 1);
        }
        const std::uint32_t slot = m_freeWholeSlots.back();
        m_freeWholeSlots.pop_back();
        return slot;
    }

    std::uint8_t m_erasedValue;
    std::vector<std::unique_ptr<Entry[]>> m_chunks;
    std::deque<Sector> m_wholeSectors;
    std::vector<std::uint32_t> m_freeWholeSlots;
};

}  // namespace

// The medium's whole state: the file table, the free space, the store and the faults. Every
// member is used under mutex only.
class SimulatedMedium::Device {
  public:
    // A run of consecutive logical sectors of one file.
    struct Extent {
        std::uint64_t firstFileSector;
        std::uint64_t firstMediumSector;
        std::uint64_t sectorCount;
    };
    struct StoredFile {
        std::uint64_t length = 0;
        std::uint64_t allocatedSectors = 0;
        std::vector<Extent> extents;  // in file order
    };

    Device(std::string root, const SimulatedMediumConfig& config)
        : root(std::move(root)),
          config(config),
          reportedSectors(config.reportedBytes / kSectorBytes),
          realSectors(config.realBytes.value_or(config.reportedBytes) / kSectorBytes),
          store(config.erasedValue),
          pullOutAfterBytesWritten(config.pullOutAfterBytesWritten),
          pullOutAfterBytesRead(config.pullOutAfterBytesRead) {
        if (this->root.empty()) throw std::invalid_argument("simulated medium: empty root");
        if (config.stuckAddressBit && *config.stuckAddressBit >= 64)
            throw std::invalid_argument("simulated medium: stuck address bit out of range");
        if (reportedSectors > 0) freeExtents.emplace(reportedSectors, 0);
        freeSectors = reportedSectors;
    }

    // A name of a file on this medium: root, then at least one character, not ending in '/'.
    bool IsFileName(const std::string& name) const {
        return name.size() > root.size() && name.compare(0, root.size(), root) == 0 &&
               name.back() != '/';
    }

    void PullOut() {
        present = false;
        ++insertion;
        heldNames.clear();
    }

    bool HasRoomFor(const StoredFile& file, std::uint64_t end) const {
        const std::uint64_t needed = SectorsFor(end);
        return needed <= file.allocatedSectors || needed - file.allocatedSectors <= freeSectors;
    }

    // Gives the file sectors up to end, lowest free sector first. The caller checked the room.
    void Grow(StoredFile& file, std::uint64_t end) {
        const std::uint64_t needed = SectorsFor(end);
        while (file.allocatedSectors < needed) {
            auto lowest = freeExtents.begin();  // keyed by end: the lowest extent comes first
            const std::uint64_t first = lowest->second;
            const std::uint64_t taken =
                std::min(needed - file.allocatedSectors, lowest->first - first);
            lowest->second += taken;
            if (lowest->second == lowest->first) freeExtents.erase(lowest);
            freeSectors -= taken;
            if (!file.extents.empty() &&
                file.extents.back().firstMediumSector + file.extents.back().sectorCount == first) {
                file.extents.back().sectorCount += taken;
            } else {
                file.extents.push_back({file.allocatedSectors, first, taken});
            }
            file.allocatedSectors += taken;
        }
    }

    // Returns all of the file's sectors to the free space and empties it.
    void Release(StoredFile& file) {
        for (const Extent& extent : file.extents)
            Free(extent.firstMediumSector, extent.sectorCount);
        file = StoredFile{};
    }

    // Whether storing or loading count bytes at pos touches a byte at medium offset threshold or
    // later. The file's sectors must cover the range.
    bool ReachesMediumOffset(const StoredFile& file, std::uint64_t pos, std::uint64_t count,
                             std::uint64_t threshold) const {
        const std::uint64_t end = pos + count;
        while (pos < end) {
            const std::uint64_t fileSector = pos / kSectorBytes;
            const std::uint64_t lastInSector = std::min(end, (fileSector + 1) * kSectorBytes) - 1;
            const std::uint64_t lastOffset =
                MediumSector(file, fileSector) * kSectorBytes + lastInSector % kSectorBytes;
            if (lastOffset >= threshold) return true;
            pos = lastInSector + 1;
        }
        return false;
    }

    // Stores count bytes at pos through the address mapping. The file's sectors must cover them.
    void Store(StoredFile& file, std::uint64_t pos, const std::uint8_t* data, std::uint64_t count) {
        const std::uint64_t end = pos + count;
        while (pos < end) {
            const std::uint64_t offsetInSector = pos % kSectorBytes;
            const std::uint64_t part = std::min(kSectorBytes - offsetInSector, end - pos);
            if (const auto physical = PhysicalSector(MediumSector(file, pos / kSectorBytes))) {
                if (part == kSectorBytes) {
                    store.Write(*physical, data);
                } else {
                    Sector sector;
                    store.Read(*physical, sector.data());
                    std::memcpy(sector.data() + offsetInSector, data, part);
                    store.Write(*physical, sector.data());
                }
            }
            pos += part;
            data += part;
        }
        file.length = std::max(file.length, end);
    }

    // Loads count bytes at pos as the host reads them: through the mapping, with read corruption.
    void Load(const StoredFile& file, std::uint64_t pos, std::uint8_t* out,
              std::uint64_t count) const {
        const std::uint64_t end = pos + count;
        while (pos < end) {
            const std::uint64_t offsetInSector = pos % kSectorBytes;
            const std::uint64_t part = std::min(kSectorBytes - offsetInSector, end - pos);
            Sector sector;
            if (const auto physical = PhysicalSector(MediumSector(file, pos / kSectorBytes))) {
                store.Read(*physical, sector.data());
                Corrupt(*physical, sector);
            } else {
                sector.fill(config.erasedValue);
            }
            std::memcpy(out, sector.data() + offsetInSector, part);
            pos += part;
            out += part;
        }
    }

    const std::string root;
    const SimulatedMediumConfig config;
    const std::uint64_t reportedSectors;
    const std::uint64_t realSectors;

    std::mutex mutex;
    std::map<std::string, StoredFile> files;  // map nodes stay put, so open files keep pointers
    std::set<std::string> heldNames;
    std::map<std::uint64_t, std::uint64_t> freeExtents;  // end sector -> first sector
    std::uint64_t freeSectors = 0;
    SectorStore store;
    bool present = true;
    bool ignoreWrites = false;
    std::uint64_t insertion = 0;  // counts pull-outs, so that files opened earlier stay dead
    std::uint64_t bytesWritten = 0;
    std::uint64_t bytesRead = 0;
    std::optional<std::uint64_t> pullOutAfterBytesWritten;  // cleared once it has happened
    std::optional<std::uint64_t> pullOutAfterBytesRead;

  private:
    std::uint64_t MediumSector(const StoredFile& file, std::uint64_t fileSector) const {
        const Extent& last = file.extents.back();
        if (fileSector >= last.firstFileSector)
            return last.firstMediumSector + (fileSector - last.firstFileSector);
        const auto after = std::upper_bound(file.extents.begin(), file.extents.end(), fileSector,
                                            [](std::uint64_t sector, const Extent& extent) {
                                                return sector < extent.firstFileSector;
                                            });
        const Extent& extent = *(after - 1);
        return extent.firstMediumSector + (fileSector - extent.firstFileSector);
    }

    std::optional<std::uint64_t> PhysicalSector(std::uint64_t mediumSector) const {
        std::uint64_t physical = mediumSector;
        if (physical >= realSectors) {
            if (config.beyondRealSize == SimulatedMediumConfig::BeyondRealSize::discard ||
                realSectors == 0)
                return std::nullopt;
            physical %= realSectors;
        }
        if (config.stuckAddressBit) physical &= ~(std::uint64_t{1} << *config.stuckAddressBit);
        return physical;
    }

    void Corrupt(std::uint64_t physicalSector, Sector& sector) const {
        if (!config.corruptReadsFromPhysicalByte) return;
        const std::uint64_t start = physicalSector * kSectorBytes;
        const std::uint64_t from = *config.corruptReadsFromPhysicalByte;
        if (start + kSectorBytes <= from) return;
        for (std::uint64_t k = from > start ? from - start : 0; k < kSectorBytes; ++k)
            sector[k] ^= kCorruptionMask;
    }

    void Free(std::uint64_t first, std::uint64_t count) {
        std::uint64_t start = first;
        const std::uint64_t end = first + count;
        if (const auto left = freeExtents.find(start); left != freeExtents.end()) {
            start = left->second;
            freeExtents.erase(left);
        }
        if (const auto right = freeExtents.upper_bound(end);
            right != freeExtents.end() && right->second == end) {
            right->second = start;
        } else {
            freeExtents.emplace(end, start);
        }
        freeSectors += count;
    }
};

// One open file on the simulated medium.
class SimulatedMedium::OpenSimulatedFile final : public OpenFile {
  public:
    OpenSimulatedFile(std::shared_ptr<Device> device, std::string name, Device::StoredFile* file,
                      std::uint64_t insertion)
        : m_device(std::move(device)),
          m_name(std::move(name)),
          m_file(file),
          m_insertion(insertion) {}

    ~OpenSimulatedFile() override {
        try {
            Close();
        } catch (const CFileException&) {
            // Releasing a file object ignores a failed close.
        }
    }

    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        Device& device = *m_device;
        std::lock_guard lock(device.mutex);
        CheckUsable();
        const std::uint64_t available =
            m_file != nullptr && m_position < m_file->length ? m_file->length - m_position : 0;
        std::uint64_t transfer = std::min<std::uint64_t>(count, available);
        const bool cutOff = Limit(device.pullOutAfterBytesRead, device.bytesRead, transfer);
        if (transfer > 0) {
            if (device.config.readErrorsFromMediumByte &&
                device.ReachesMediumOffset(*m_file, m_position, transfer,
                                           *device.config.readErrorsFromMediumByte))
                Fail(CFileException::hardIO, "simulated medium: read error");
            device.Load(*m_file, m_position, static_cast<std::uint8_t*>(buffer), transfer);
        }
        m_position += transfer;
        device.bytesRead += transfer;
        PullOutAtLimit(device.pullOutAfterBytesRead, device.bytesRead, cutOff);
        return static_cast<std::uint32_t>(transfer);
    }

    void Write(const void* buffer, std::uint32_t count) override {
        Device& device = *m_device;
        std::lock_guard lock(device.mutex);
        CheckUsable();
        std::uint64_t transfer = count;
        const bool cutOff = Limit(device.pullOutAfterBytesWritten, device.bytesWritten, transfer);
        if (!device.ignoreWrites && m_file != nullptr && transfer > 0) {
            const std::uint64_t end = m_position + transfer;
            if (!device.HasRoomFor(*m_file, end))
                Fail(CFileException::diskFull, "simulated medium: full");
            device.Grow(*m_file, end);
            if (device.config.writeErrorsFromMediumByte &&
                device.ReachesMediumOffset(*m_file, m_position, transfer,
                                           *device.config.writeErrorsFromMediumByte))
                Fail(CFileException::hardIO, "simulated medium: write error");
            device.Store(*m_file, m_position, static_cast<const std::uint8_t*>(buffer), transfer);
        }
        m_position += transfer;
        device.bytesWritten += transfer;
        PullOutAtLimit(device.pullOutAfterBytesWritten, device.bytesWritten, cutOff);
    }

    void Close() override {
        Device& device = *m_device;
        std::lock_guard lock(device.mutex);
        if (m_closed) return;
        m_closed = true;
        if (!device.present || device.insertion != m_insertion)
            Fail(CFileException::removedMedia, "simulated medium: removed");
        device.heldNames.erase(m_name);
    }

  private:
    void CheckUsable() const {
        if (m_closed) Fail(CFileException::generic, "simulated medium: file is closed");
        if (!m_device->present || m_device->insertion != m_insertion)
            Fail(CFileException::removedMedia, "simulated medium: removed");
    }

    // Shortens transfer to what may pass before a pending pull-out; true when it was shortened.
    static bool Limit(const std::optional<std::uint64_t>& limit, std::uint64_t done,
                      std::uint64_t& transfer) {
        if (!limit || transfer <= *limit - done) return false;
        transfer = *limit - done;
        return true;
    }

    // Pulls the medium out once the transfers have reached the limit; throws for a cut-off one.
    void PullOutAtLimit(std::optional<std::uint64_t>& limit, std::uint64_t done, bool cutOff) {
        if (!limit || done < *limit) return;
        limit.reset();
        m_device->PullOut();
        if (cutOff) Fail(CFileException::removedMedia, "simulated medium: removed");
    }

    std::shared_ptr<Device> m_device;
    std::string m_name;
    Device::StoredFile* m_file;  // nullptr: opened while writes were ignored, and never created
    std::uint64_t m_insertion;
    std::uint64_t m_position = 0;
    bool m_closed = false;
};

SimulatedMedium::SimulatedMedium(std::string root, const SimulatedMediumConfig& config)
    : m_device(std::make_shared<Device>(std::move(root), config)) {}

SimulatedMedium::~SimulatedMedium() = default;

std::unique_ptr<OpenFile> SimulatedMedium::Open(const std::string& name, Disposition disposition) {
    Device& device = *m_device;
    std::lock_guard lock(device.mutex);
    if (!device.present || !device.IsFileName(name) || device.heldNames.count(name) != 0)
        return nullptr;
    const auto found = device.files.find(name);
    Device::StoredFile* file = found != device.files.end() ? &found->second : nullptr;
    if (disposition == Disposition::openExisting) {
        if (file == nullptr) return nullptr;
    } else if (!device.ignoreWrites) {
        if (file != nullptr)
            device.Release(*file);
        else
            file = &device.files[name];
    }
    device.heldNames.insert(name);
    return std::make_unique<OpenSimulatedFile>(m_device, name, file, device.insertion);
}

void SimulatedMedium::StartRemoveFiles(const std::string& root, const std::string& suffix) {
    Device& device = *m_device;
    std::lock_guard lock(device.mutex);
    if (!device.present || device.ignoreWrites) return;
    for (auto it = device.files.begin(); it != device.files.end();) {
        const std::string& name = it->first;
        const bool directlyInRoot = name.size() > root.size() &&
                                    name.compare(0, root.size(), root) == 0 &&
                                    name.find('/', root.size()) == std::string::npos;
        if (directlyInRoot && EndsWithIgnoringCase(name.substr(root.size()), suffix) &&
            device.heldNames.count(name) == 0) {
            device.Release(it->second);
            it = device.files.erase(it);
        } else {
            ++it;
        }
    }
}

void SimulatedMedium::WaitForRemovals() {}

void SimulatedMedium::PullOut() {
    std::lock_guard lock(m_device->mutex);
    if (m_device->present) m_device->PullOut();
}

void SimulatedMedium::ReInsert() {
    std::lock_guard lock(m_device->mutex);
    m_device->present = true;
}

void SimulatedMedium::SetIgnoreWrites(bool ignore) {
    std::lock_guard lock(m_device->mutex);
    m_device->ignoreWrites = ignore;
}

std::optional<std::uint64_t> SimulatedMedium::FileSize(const std::string& name) const {
    std::lock_guard lock(m_device->mutex);
    const auto found = m_device->files.find(name);
    if (found == m_device->files.end()) return std::nullopt;
    return found->second.length;
}

std::vector<std::string> SimulatedMedium::FileNames() const {
    std::lock_guard lock(m_device->mutex);
    std::vector<std::string> names;
    for (const auto& [name, file] : m_device->files) names.push_back(name);
    return names;
}

void SimulatedMedium::AddFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Device& device = *m_device;
    std::lock_guard lock(device.mutex);
    if (!device.IsFileName(name)) throw std::invalid_argument("simulated medium: not a file name");
    if (device.heldNames.count(name) != 0)
        throw std::invalid_argument("simulated medium: file is open");
    const auto found = device.files.find(name);
    const std::uint64_t reusable = found != device.files.end() ? found->second.allocatedSectors : 0;
    if (SectorsFor(bytes.size()) > device.freeSectors + reusable)
        Fail(CFileException::diskFull, "simulated medium: full");
    Device::StoredFile& file = device.files[name];
    device.Release(file);
    device.Grow(file, bytes.size());
    device.Store(file, 0, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> SimulatedMedium::ReadFileBytes(const std::string& name,
                                                         std::uint64_t offset,
                                                         std::uint64_t count) const {
    std::lock_guard lock(m_device->mutex);
    const auto found = m_device->files.find(name);
    if (found == m_device->files.end() || offset >= found->second.length) return {};
    std::vector<std::uint8_t> bytes(std::min(count, found->second.length - offset));
    m_device->Load(found->second, offset, bytes.data(), bytes.size());
    return bytes;
}
