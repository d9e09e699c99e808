// Which mounted file systems are removable media (memory cards, USB sticks and disks): the
// drives the dialog offers and the only places the command line fills without being told to.
#pragma once

#include <string>
#include <vector>

// Where the system's description of mounts and devices is read. The defaults are the running
// system's own; tests point them at a mount table and a device tree of their making.
struct SystemView {
    std::string mountInfoPath = "/proc/self/mountinfo";
    std::string sysRoot = "/sys";
};

// Roots of the mounted, writable removable media in mount-table order, each ending in '/', each
// medium once. Empty when there is none or the mount table cannot be read.
std::vector<std::string> ListRemovableDriveRoots();
std::vector<std::string> ListRemovableDriveRoots(const SystemView& view);

// Whether path lies on a removable medium by the same device rule. False on any error.
bool IsOnRemovableMedium(const std::string& path);
bool IsOnRemovableMedium(const std::string& path, const SystemView& view);
