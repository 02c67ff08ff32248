#include "ReadOnlyFolder.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace brisko::test {

namespace fs = std::filesystem;

bool RunningAsRoot() {
    return geteuid() == 0;
}

namespace {

void SetModes(const fs::path& folder, fs::perms directories, fs::perms files, const fs::path& executable) {
    std::vector<fs::path> entries{folder};
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        entries.push_back(entry.path());
    }
    // Children first when closing, so a folder is not shut before its contents are set.
    std::reverse(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
        const bool directory = fs::is_directory(entry);
        fs::permissions(entry, directory ? directories : (entry == executable ? directories : files));
    }
}

} // namespace

void MakeReadOnly(const fs::path& folder, const fs::path& executable) {
    using fs::perms;
    const perms readAndTraverse = perms::owner_read | perms::owner_exec | perms::group_read |
                                  perms::group_exec | perms::others_read | perms::others_exec;
    SetModes(folder, readAndTraverse, perms::owner_read | perms::group_read | perms::others_read, executable);
}

void MakeWritable(const fs::path& folder) {
    using fs::perms;
    fs::permissions(folder, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                                perms::others_exec);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        fs::permissions(entry.path(), perms::owner_all, fs::perm_options::add);
    }
}

std::string ListTree(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += name + '\n';
    }
    return list;
}

std::string AsNobodyPrefix() {
    if (!RunningAsRoot()) {
        return {};
    }
    return "setpriv --reuid=" + std::to_string(kNobody) + " --regid=" + std::to_string(kNobody) +
           " --clear-groups ";
}

} // namespace brisko::test
