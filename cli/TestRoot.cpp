#include "cli/TestRoot.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/TestFiles.h"

TestRootCheck CheckTestRoot(const std::string& directory, bool allowNonRemovable,
                            const SystemView& view) {
    TestRootCheck check;
    struct stat status;
    if (::stat(directory.c_str(), &status) != 0) {
        check.error = "找不到 " + directory + "：" + std::strerror(errno);
        return check;
    }
    if (!S_ISDIR(status.st_mode)) {
        check.error = directory + " 不是目录";
        return check;
    }
    if (::access(directory.c_str(), W_OK | X_OK) != 0) {
        check.error = directory + " 不可写：" + std::strerror(errno);
        return check;
    }
    check.root = directory.back() == '/' ? directory : directory + "/";
    if (TestFileName(check.root, UINT32_MAX).size() >= PATH_MAX) {
        check.error = directory + " 太长，放不下测试文件的名字";
        return check;
    }
    if (!allowNonRemovable && !IsOnRemovableMedium(directory, view)) {
        check.error =
            directory +
            " 不在可移动介质（优盘/TF卡/SD卡）上；确实要测试它，请加 --allow-non-removable";
        return check;
    }
    return check;
}
