// Linux: the mount table comes from mountinfo, what each device is from sysfs.
#include "framework/RemovableDrives.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

namespace fs = std::filesystem;

// SCSI optical drives report removable=1, yet a disc is no medium to fill with test files.
constexpr unsigned kOpticalDriveMajor = 11;

// One line of the mount table, the fields the rule needs.
struct Mount {
    int id = 0;
    int parentId = 0;
    dev_t device = 0;
    std::string root;  // folder of the file system that appears at the mount point
    std::string mountPoint;
    std::string options;
    std::string superOptions;
};

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return std::nullopt;
    return text;
}

// A sysfs attribute without its trailing newline; empty when it cannot be read.
std::string ReadAttribute(const fs::path& path) {
    std::string text = ReadWholeFile(path).value_or(std::string());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The mount table writes space, tab, newline and backslash in paths as \ooo.
std::string DecodeField(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            decoded.push_back(static_cast<char>((field[i + 1] - '0') * 64 +
                                                (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            decoded.push_back(field[i]);
        }
    }
    return decoded;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<dev_t> ParseDeviceNumber(std::string_view text) {
    const std::size_t colon = text.find(':');
    unsigned majorNumber = 0;
    unsigned minorNumber = 0;
    if (colon == std::string_view::npos || !ParseNumber(text.substr(0, colon), majorNumber) ||
        !ParseNumber(text.substr(colon + 1), minorNumber)) {
        return std::nullopt;
    }
    return makedev(majorNumber, minorNumber);
}

// Fields: id, parent id, major:minor, root, mount point, options, optional fields ending with
// "-", then file system type, source and super options.
std::optional<Mount> ParseMountLine(std::string_view line) {
    const std::vector<std::string_view> fields = Split(line, ' ');
    constexpr std::size_t kFixedFields = 6;
    std::size_t separator = kFixedFields;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (separator + 3 >= fields.size()) return std::nullopt;
    Mount mount;
    const std::optional<dev_t> device = ParseDeviceNumber(fields[2]);
    if (!ParseNumber(fields[0], mount.id) || !ParseNumber(fields[1], mount.parentId) || !device) {
        return std::nullopt;
    }
    mount.device = *device;
    mount.root = DecodeField(fields[3]);
    mount.mountPoint = DecodeField(fields[4]);
    mount.options = fields[5];
    mount.superOptions = fields[separator + 3];
    return mount;
}

std::vector<Mount> ReadMountTable(const std::string& path) {
    std::vector<Mount> table;
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return table;
    for (std::string_view line : Split(*text, '\n')) {
        if (std::optional<Mount> mount = ParseMountLine(line)) table.push_back(std::move(*mount));
    }
    return table;
}

bool HasOption(std::string_view options, std::string_view option) {
    for (std::string_view candidate : Split(options, ',')) {
        if (candidate == option) return true;
    }
    return false;
}

// The medium rule: the disk is marked removable, or it hangs on a USB bus (a card reader or a
// stick), or it is an SD card in an MMC slot. An internal eMMC (card type "MMC"), fixed disks and
// virtual block devices (loop, RAM disk, zram, device-mapper) match none of these.
bool IsRemovableDevice(dev_t device, const std::string& sysRoot) {
    // Major 0 has no block device behind it: network shares, tmpfs, proc and other virtual ones.
    if (major(device) == 0 || major(device) == kOpticalDriveMajor) return false;
    std::error_code error;
    const fs::path root = fs::canonical(sysRoot, error);
    if (error) return false;
    const std::string number = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const fs::path node = fs::canonical(root / "dev" / "block" / number, error);
    if (error) return false;
    const fs::path busPath = node.lexically_relative(root / "devices");
    if (busPath.empty() || *busPath.begin() == "..") return false;

    const fs::path disk = fs::exists(node / "partition", error) ? node.parent_path() : node;
    if (ReadAttribute(disk / "removable") == "1") return true;
    for (const fs::path& component : busPath) {
        if (component.native().starts_with("usb")) return true;
    }
    return disk.filename().native().starts_with("mmcblk") &&
           ReadAttribute(disk / "device" / "type") == "SD";
}

bool IsStrictAncestor(const std::string& folder, const std::string& path) {
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

const Mount* FindMount(const std::vector<Mount>& table, int id) {
    for (const Mount& mount : table) {
        if (mount.id == id) return &mount;
    }
    return nullptr;
}

// Whether the mount point now leads somewhere else: another mount lies on top of this mount or
// of one it hangs under, or a sibling is mounted on a folder above it. Test files written at a
// covered root would land on the covering file system.
bool IsCovered(const Mount& mount, const std::vector<Mount>& table) {
    const Mount* current = &mount;
    for (std::size_t depth = 0; current != nullptr && depth <= table.size(); ++depth) {
        for (const Mount& other : table) {
            if (&other == current) continue;
            const bool onTop =
                other.parentId == current->id && other.mountPoint == current->mountPoint;
            const bool aboveSibling = other.parentId == current->parentId &&
                                      IsStrictAncestor(other.mountPoint, current->mountPoint);
            if (onTop || aboveSibling) return true;
        }
        current = current->parentId == current->id ? nullptr : FindMount(table, current->parentId);
    }
    return false;
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

}  // namespace

std::vector<std::string> ListRemovableDriveRoots() {
    return ListRemovableDriveRoots(SystemView());
}

std::vector<std::string> ListRemovableDriveRoots(const SystemView& view) {
    const std::vector<Mount> table = ReadMountTable(view.mountInfoPath);
    std::vector<std::string> roots;
    std::set<dev_t> listed;
    for (const Mount& mount : table) {
        // A bind mount of a subfolder shows only part of the medium; a read-only one cannot take
        // test files.
        if (mount.root != "/" || HasOption(mount.options, "ro") ||
            HasOption(mount.superOptions, "ro")) {
            continue;
        }
        if (listed.contains(mount.device) || !IsRemovableDevice(mount.device, view.sysRoot) ||
            IsCovered(mount, table)) {
            continue;
        }
        listed.insert(mount.device);
        roots.push_back(WithTrailingSlash(mount.mountPoint));
    }
    return roots;
}

bool IsOnRemovableMedium(const std::string& path) {
    return IsOnRemovableMedium(path, SystemView());
}

bool IsOnRemovableMedium(const std::string& path, const SystemView& view) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    return IsRemovableDevice(status.st_dev, view.sysRoot);
}
