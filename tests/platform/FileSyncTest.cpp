// Flushing a file to the disk by its name while another handle keeps writing it.
#include "Platform.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;

TEST(SyncFileToDisk, FlushesAFileOpenElsewhereAndRefusesWhatIsNoFile) {
    test::TempFolder folder;
    const fs::path log = folder / u8"BANCO çã.db-wal";
    std::ofstream writer(log, std::ios::binary);
    writer << "frames";
    writer.flush();
    EXPECT_TRUE(SyncFileToDisk(log));

    EXPECT_FALSE(SyncFileToDisk(folder / "missing-wal"));
    EXPECT_FALSE(fs::exists(folder / "missing-wal")) << "a missing file must not be created";

    fs::create_directory(folder / "folder-wal");
    EXPECT_FALSE(SyncFileToDisk(folder / "folder-wal"));
}

} // namespace
} // namespace brisko::platform
