#include "framework/RemovableDrives.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A block device as sysfs shows it: the disk's folder under devices/, its attributes, and the
// dev/block/MAJ:MIN links into it.
struct BlockDevice {
    std::string diskPath;
    std::string removable;
    std::string cardType;  // type of the MMC card behind the disk; empty for other disks
    std::string diskNumber;
    std::string partitionName;  // empty when the file system sits on the whole disk
    std::string partitionNumber;
};

const std::string kUsbHub = "pci0000:00/0000:00:14.0/usb2/";

const BlockDevice kFixedSata{"pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda",
                             "0",
                             "",
                             "8:0",
                             "sda1",
                             "8:1"};
const BlockDevice kFixedNvme{"pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1",
                             "0",
                             "",
                             "259:0",
                             "nvme0n1p1",
                             "259:1"};
// A stick in a reader on the SATA bus: only the removable flag tells it apart.
const BlockDevice kFlaggedStick{"pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0/block/sdb",
                                "1",
                                "",
                                "8:16",
                                "sdb1",
                                "8:17"};
// A USB disk that calls itself fixed: only its bus tells it apart.
const BlockDevice kUsbDisk{
    kUsbHub + "2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdc", "0", "", "8:32", "sdc1", "8:33"};
const BlockDevice kSdCard{"pci0000:00/0000:00:1e.6/mmc_host/mmc1/mmc1:aaaa/block/mmcblk1",
                          "0",
                          "SD",
                          "179:96",
                          "mmcblk1p1",
                          "179:97"};
const BlockDevice kInternalEmmc{"platform/fe340000.mmc/mmc_host/mmc0/mmc0:0001/block/mmcblk0",
                                "0",
                                "MMC",
                                "179:0",
                                "mmcblk0p2",
                                "179:2"};
// An optical drive on USB reports removable=1 and still is no medium.
const BlockDevice kUsbDvd{
    kUsbHub + "2-2/2-2:1.0/host7/target7:0:0/7:0:0:0/block/sr0", "1", "", "11:0", "", ""};
const BlockDevice kLoop{"virtual/block/loop0", "0", "", "7:0", "", ""};
const BlockDevice kZram{"virtual/block/zram0", "0", "", "252:0", "", ""};
const BlockDevice kDeviceMapper{"virtual/block/dm-0", "0", "", "254:0", "", ""};

BlockDevice UsbStick(const std::string& name, int diskMinor, int port) {
    const std::string bus = "2-" + std::to_string(port);
    return {kUsbHub + bus + "/" + bus + ":1.0/host9/target9:0:0/9:0:0:0/block/" + name,
            "1",
            "",
            "8:" + std::to_string(diskMinor),
            name + "1",
            "8:" + std::to_string(diskMinor + 1)};
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    ASSERT_TRUE(file.good()) << path;
}

class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "vexlorn-drives-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

// A sysfs-like tree in a temporary folder.
class DeviceTree {
  public:
    explicit DeviceTree(fs::path root) : m_root(std::move(root)) {
        fs::create_directories(m_root / "dev" / "block");
        fs::create_directories(m_root / "devices");
    }

    const fs::path& Root() const { return m_root; }

    void Add(const BlockDevice& device) {
        const fs::path disk = m_root / "devices" / device.diskPath;
        fs::create_directories(disk);
        WriteText(disk / "removable", device.removable + "\n");
        Link(device.diskNumber, device.diskPath);
        if (!device.cardType.empty()) {
            // The disk's "device" link leads to the card, which says what kind of card it is.
            const fs::path card = disk.parent_path().parent_path();
            WriteText(card / "type", device.cardType + "\n");
            fs::create_symlink("../../../" + card.filename().string(), disk / "device");
        }
        if (!device.partitionName.empty()) {
            fs::create_directories(disk / device.partitionName);
            WriteText(disk / device.partitionName / "partition", "1\n");
            Link(device.partitionNumber, device.diskPath + "/" + device.partitionName);
        }
    }

  private:
    void Link(const std::string& number, const std::string& devicePath) {
        fs::create_symlink("../../devices/" + devicePath, m_root / "dev" / "block" / number);
    }

    fs::path m_root;
};

std::string DeviceNumberOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return "";
    return std::to_string(major(status.st_dev)) + ":" + std::to_string(minor(status.st_dev));
}

class RemovableDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const BlockDevice& device :
             {kFixedSata, kFixedNvme, kFlaggedStick, kUsbDisk, kSdCard, kInternalEmmc, kUsbDvd,
              kLoop, kZram, kDeviceMapper, UsbStick("sdd", 48, 3), UsbStick("sde", 64, 4)}) {
            m_devices.Add(device);
        }
    }

    std::vector<std::string> ListFor(const std::string& mountInfo) {
        const fs::path table = m_folder.Path() / "mountinfo";
        WriteText(table, mountInfo);
        return ListRemovableDriveRoots(SystemView{table.string(), m_devices.Root().string()});
    }

    TemporaryFolder m_folder;
    DeviceTree m_devices{m_folder.Path() / "sys"};
};

using Roots = std::vector<std::string>;

TEST_F(RemovableDrivesTest, ListsExactlyTheWritableRemovableMedia) {
    struct Case {
        const char* what;
        std::string mountInfo;
        Roots roots;
    } cases[] = {
        {"disk marked removable",
         "30 20 8:17 / /media/u/STICK rw,nosuid,nodev,relatime shared:100 - vfat /dev/sdb1 "
         "rw,fmask=0022\n",
         {"/media/u/STICK/"}},
        {"USB disk not marked removable",
         "31 20 8:33 / /media/u/DISK rw - exfat /dev/sdc1 rw\n",
         {"/media/u/DISK/"}},
        {"SD card on MMC",
         "32 20 179:97 / /media/u/SD rw - vfat /dev/mmcblk1p1 rw\n",
         {"/media/u/SD/"}},
        {"internal eMMC", "33 20 179:2 / /boot rw - ext4 /dev/mmcblk0p2 rw\n", {}},
        {"fixed SATA disk", "20 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n", {}},
        {"fixed NVMe disk", "24 20 259:1 / /home rw - ext4 /dev/nvme0n1p1 rw\n", {}},
        {"optical drive", "37 20 11:0 / /media/u/DVD rw - udf /dev/sr0 rw\n", {}},
        {"loop, zram and device-mapper",
         "34 20 7:0 / /mnt/image rw - ext4 /dev/loop0 rw\n"
         "35 20 252:0 / /var/cache rw - ext4 /dev/zram0 rw\n"
         "36 20 254:0 / /srv rw - ext4 /dev/mapper/vg-srv rw\n",
         {}},
        {"network shares",
         "40 20 0:50 / /mnt/share rw - cifs //server/share rw\n"
         "41 20 0:51 / /mnt/nfs rw - nfs4 server:/export rw\n"
         "42 20 0:52 / /mnt/ssh rw - fuse.sshfs u@host: rw\n",
         {}},
        {"virtual file systems",
         "21 20 0:20 / /proc rw - proc proc rw\n22 20 0:21 / /sys rw - sysfs sysfs rw\n"
         "23 20 0:25 / /run rw - tmpfs tmpfs rw,size=1g\n"
         "25 20 0:26 / /mnt/ram rw - ramfs ramfs rw\n",
         {}},
        {"device unknown to sysfs", "52 20 8:240 / /media/u/GONE rw - vfat /dev/sdp rw\n", {}},
        {"space in the mount point",
         "31 20 8:33 / /media/u/USB\\040DISK rw - vfat /dev/sdc1 rw\n",
         {"/media/u/USB DISK/"}},
        {"tab, newline and backslash in the mount point",
         "31 20 8:33 / /media/u/a\\011b\\012c\\134d rw - vfat /dev/sdc1 rw\n",
         {"/media/u/a\tb\nc\\d/"}},
        {"medium mounted at the top", "20 1 8:33 / / rw - ext4 /dev/sdc1 rw\n", {"/"}},
        {"same medium mounted twice",
         "30 20 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw\n"
         "39 20 8:17 / /mnt/again rw - vfat /dev/sdb1 rw\n",
         {"/media/u/STICK/"}},
        {"read-only mount", "43 20 8:49 / /media/u/LOCKED ro,relatime - vfat /dev/sdd1 ro\n", {}},
        {"read-only file system under a writable mount",
         "43 20 8:49 / /media/u/LOCKED rw - vfat /dev/sdd1 ro\n",
         {}},
        {"first writable mount of a medium",
         "43 20 8:49 / /mnt/view ro - vfat /dev/sdd1 rw\n"
         "44 20 8:49 / /media/u/OPEN rw - vfat /dev/sdd1 rw\n",
         {"/media/u/OPEN/"}},
        {"bind mount of a subfolder, then the whole medium",
         "45 20 8:65 /backup /srv/backup rw - ext4 /dev/sde1 rw\n"
         "46 20 8:65 / /media/u/BACKUP rw - ext4 /dev/sde1 rw\n",
         {"/media/u/BACKUP/"}},
        {"medium covered by a later mount at its place",
         "30 20 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw\n"
         "47 30 0:60 / /media/u/STICK rw - tmpfs tmpfs rw\n",
         {}},
        {"medium covered by a later mount above it",
         "30 20 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw\n"
         "48 20 0:61 / /media rw - tmpfs tmpfs rw\n",
         {}},
        {"medium under a mount that was covered",
         "49 20 0:62 / /media/u rw - tmpfs tmpfs rw\n"
         "30 49 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw\n"
         "50 20 0:63 / /media rw - tmpfs tmpfs rw\n",
         {}},
        {"medium mounted inside another medium",
         "30 20 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw\n"
         "31 30 8:33 / /media/u/STICK/inner rw - vfat /dev/sdc1 rw\n",
         {"/media/u/STICK/", "/media/u/STICK/inner/"}},
        {"malformed lines skipped, optional fields read",
         "garbage\n\n30 20 8:17 / /media/u/STICK rw - vfat\n"
         "31 20 8-33 / /media/u/BAD rw - vfat /dev/sdc1 rw\n"
         "31 20 8:33 / /media/u/DISK rw shared:1 master:2 - vfat /dev/sdc1 rw",
         {"/media/u/DISK/"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ListFor(c.mountInfo), c.roots) << c.what;
}

TEST_F(RemovableDrivesTest, WholeTableKeepsMountOrder) {
    const std::string mountInfo =
        "20 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
        "21 20 0:20 / /proc rw,nosuid,nodev,noexec,relatime shared:5 - proc proc rw\n"
        "22 20 0:21 / /sys rw,nosuid - sysfs sysfs rw\n"
        "23 20 0:25 / /run rw,nosuid,nodev - tmpfs tmpfs rw,size=1g,mode=755\n"
        "24 20 259:1 / /home rw,relatime - ext4 /dev/nvme0n1p1 rw\n"
        "25 20 179:2 / /boot rw - ext4 /dev/mmcblk0p2 rw\n"
        "26 20 7:0 / /snap/core/1 ro,nodev - squashfs /dev/loop0 ro\n"
        "27 23 179:97 / /run/media/u/SD\\040CARD rw,nosuid shared:80 - vfat /dev/mmcblk1p1 rw\n"
        "28 20 0:50 / /mnt/share rw - cifs //server/share rw\n"
        "29 23 8:33 / /run/media/u/USB\\040DISK rw - exfat /dev/sdc1 rw\n"
        "30 23 11:0 / /run/media/u/DVD ro - iso9660 /dev/sr0 ro\n"
        "31 23 8:49 / /run/media/u/LOCKED ro - vfat /dev/sdd1 ro\n"
        "32 23 8:17 / /run/media/u/STICK rw - vfat /dev/sdb1 rw\n"
        "33 20 8:17 /photos /srv/photos rw - vfat /dev/sdb1 rw\n"
        "34 20 179:97 / /mnt/card rw - vfat /dev/mmcblk1p1 rw\n";
    EXPECT_EQ(ListFor(mountInfo),
              (Roots{"/run/media/u/SD CARD/", "/run/media/u/USB DISK/", "/run/media/u/STICK/"}));
}

TEST_F(RemovableDrivesTest, UnreadableMountTableGivesNoDrives) {
    const SystemView view{(m_folder.Path() / "missing").string(), m_devices.Root().string()};
    EXPECT_TRUE(ListRemovableDriveRoots(view).empty());
    EXPECT_TRUE(ListFor("").empty());
}

TEST(RemovableMedium, PathDecidedByItsDeviceNumber) {
    TemporaryFolder folder;
    const std::string number = DeviceNumberOf(folder.Path());
    ASSERT_FALSE(number.empty());
    if (number.starts_with("0:")) GTEST_SKIP() << "the temporary folder has no block device";

    // The temporary folder's own device number, presented in turn as each kind of device.
    struct Case {
        const char* what;
        BlockDevice device;
        bool removable;
    } cases[] = {
        {"disk marked removable", kFlaggedStick, true},
        {"USB disk", kUsbDisk, true},
        {"SD card", kSdCard, true},
        {"internal eMMC", kInternalEmmc, false},
        {"fixed disk", kFixedNvme, false},
        {"loop device", kLoop, false},
    };
    int tree = 0;
    for (Case c : cases) {
        (c.device.partitionName.empty() ? c.device.diskNumber : c.device.partitionNumber) = number;
        DeviceTree devices(folder.Path() / ("sys" + std::to_string(tree++)));
        devices.Add(c.device);
        const SystemView view{"", devices.Root().string()};
        EXPECT_EQ(IsOnRemovableMedium(folder.Path().string(), view), c.removable) << c.what;
    }

    DeviceTree empty(folder.Path() / "sys-empty");
    EXPECT_FALSE(
        IsOnRemovableMedium(folder.Path().string(), SystemView{"", empty.Root().string()}));
}

TEST(RemovableMedium, VirtualFileSystemsAndMissingPathsAreNot) {
    TemporaryFolder folder;
    // Even if a device tree claimed /proc's anonymous number for a USB disk.
    BlockDevice claimed = kUsbDisk;
    claimed.partitionNumber = DeviceNumberOf("/proc");
    ASSERT_TRUE(claimed.partitionNumber.starts_with("0:"));
    DeviceTree devices(folder.Path() / "sys");
    devices.Add(claimed);
    const SystemView view{"", devices.Root().string()};
    EXPECT_FALSE(IsOnRemovableMedium("/proc", view));
    EXPECT_FALSE(IsOnRemovableMedium((folder.Path() / "missing").string(), view));
    EXPECT_FALSE(IsOnRemovableMedium("", view));
}

TEST(RemovableMedium, ThisMachineListsUsableRoots) {
    for (const std::string& root : ListRemovableDriveRoots()) {
        ASSERT_FALSE(root.empty());
        EXPECT_EQ(root.front(), '/') << root;
        EXPECT_EQ(root.back(), '/') << root;
        EXPECT_TRUE(IsOnRemovableMedium(root)) << root;
    }
    EXPECT_FALSE(IsOnRemovableMedium("/proc"));
}

}  // namespace
