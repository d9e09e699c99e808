// A simulated removable medium: a block device of 256-byte sectors under a tiny file system, with
// the faults of damaged and counterfeit cards switched on by configuration. Tests and the command
// line's demonstration give it to the passes in place of the platform's file system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/File.h"

// How a simulated medium behaves. Sizes and offsets are in bytes. The defaults give an honest,
// empty, fault-free medium of reportedBytes; every fault can be combined with every other.
//
// Files take whole sectors of the logical address space (reportedBytes), lowest free sector first.
// A logical sector maps to a physical sector of the store (realBytes) as beyondRealSize says, and
// then loses its stuckAddressBit. "Medium offsets" are logical, "physical offsets" are in the
// store.
struct SimulatedMediumConfig {
    // What becomes of logical sectors past the end of the physical store.
    enum class BeyondRealSize {
        wrapAround,  // physical sector = logical sector mod real sectors: data lands on earlier
                     // data
        discard,     // writes there are dropped; reads there give erasedValue
    };

    // The capacity the medium announces; a write that would need more fails with diskFull.
    std::uint64_t reportedBytes = 0;
    // The size of the physical store; empty: as large as reportedBytes (an honest medium).
    std::optional<std::uint64_t> realBytes = std::nullopt;
    BeyondRealSize beyondRealSize = BeyondRealSize::wrapAround;
    // What a sector that never received data reads as (0x00 or 0xFF on real flash).
    std::uint8_t erasedValue = 0x00;
    // A bit of the physical sector number stuck at 0, so that two sectors share one place.
    std::optional<unsigned> stuckAddressBit = std::nullopt;
    // Every byte read from this physical offset on comes back with its lowest bit flipped.
    std::optional<std::uint64_t> corruptReadsFromPhysicalByte = std::nullopt;
    // A Read that would return a byte at this medium offset or later throws hardIO, reading
    // nothing.
    std::optional<std::uint64_t> readErrorsFromMediumByte = std::nullopt;
    // A Write that would store a byte at this medium offset or later throws hardIO, storing
    // nothing.
    std::optional<std::uint64_t> writeErrorsFromMediumByte = std::nullopt;
    // The medium is pulled out once this many bytes have been written (or read) through open files
    // in all. A transfer that goes past the point is carried out up to it, then throws
    // removedMedia. It happens once; after ReInsert the medium stays in.
    std::optional<std::uint64_t> pullOutAfterBytesWritten = std::nullopt;
    std::optional<std::uint64_t> pullOutAfterBytesRead = std::nullopt;
};

// The simulated medium itself. File names are root + name; a name with a further '/' after the
// root lies in a subfolder. Names are compared exactly. All members may be called from any thread.
// Open files keep the medium's state alive, so they may outlive this object.
class SimulatedMedium final : public FileSystem {
  public:
    static constexpr std::uint32_t BYTES_PER_SECTOR = 256;

    SimulatedMedium(std::string root, const SimulatedMediumConfig& config);
    ~SimulatedMedium() override;

    // Fails (nullptr) while the medium is out, for names outside the root, and for a name that
    // another open holds. While writes are ignored, createAlways neither creates nor truncates.
    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override;
    // Removes at once every file directly in root whose name ends in suffix (ASCII letters compared
    // without case); files in subfolders and files held open stay. Nothing happens while the medium
    // is out or writes are ignored.
    void StartRemoveFiles(const std::string& root, const std::string& suffix) override;
    // Removals are done before StartRemoveFiles returns, so this returns at once.
    void WaitForRemovals() override;

    // Takes the medium out: every Open fails and files open now throw removedMedia from then on,
    // also after ReInsert, which puts the medium back with its content unchanged.
    void PullOut();
    void ReInsert();
    // While set, opens, writes, removals and closes succeed but change nothing on the medium.
    void SetIgnoreWrites(bool ignore);

    // Inspection and set-up for tests; these work whether or not the medium is in.
    std::optional<std::uint64_t> FileSize(const std::string& name) const;
    std::vector<std::string> FileNames() const;  // every file, subfolders included, sorted
    // Places a file (replacing one of that name) as if written earlier, faults of the store
    // included. Throws CFileException(diskFull) and changes nothing when it does not fit, and
    // std::invalid_argument for a name outside the root or held open.
    void AddFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
    // What reading the file would return from offset on (at most count bytes, fewer at its end),
    // read corruption included but without read errors, sharing or pull-out. Empty when missing.
    std::vector<std::uint8_t> ReadFileBytes(const std::string& name, std::uint64_t offset,
                                            std::uint64_t count) const;

  private:
    class Device;
    class OpenSimulatedFile;

    std::shared_ptr<Device> m_device;
};
