// The database file in trouble: locked by another process, full, or read-only. Statements wait
// out a short lock; anything longer, and a full or read-only file, end in a clear text with
// nothing half-written, and the next run completes the work.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"
#include "WriteLockHolder.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <iostream>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using ::testing::SizeIs;

class DatabaseTrouble : public CycleTest {
protected:
    void SetUp() override {
        CycleTest::SetUp();
        accountId = AddAccount(kMarketLogin, kMarketPassword);
        for (const char* id : {"660001", "660002", "660003"}) {
            sim::SimOrder order = sim::MarketplaceSimulator::SampleOrder(id, 30min);
            // Rows big enough that storing them needs new pages of the file.
            order.address.reference = sim::JsonText(std::string(20000, 'r'));
            market.AddOrder(kMarketLogin, order);
        }
    }

    std::string Sync() { return SyncOn(db); }

    std::string SyncOn(store::Database& on) {
        const marketplace::Context context{on, services.marketplace, services.integrator, {}};
        return marketplace::ConectaAiqfome(context, std::to_string(accountId), kMarketLogin, kMarketPassword);
    }

    std::string Token() {
        store::Statement row = db.Prepare("SELECT TOKEN FROM CONFIGDELIVERY");
        return row.Step() ? row.Text("TOKEN") : "";
    }

    // Every imported row, whole: ID order, address length (the big field) and customer.
    std::vector<std::string> Rows() { return RowsOf(db); }
    static std::vector<std::string> RowsOf(store::Database& on) {
        std::vector<std::string> rows;
        store::Statement row = on.Prepare("SELECT IDPEDIDO, length(ENDERECO) AS LEN, CLIENTE FROM PEDIDOS");
        while (row.Step()) {
            rows.push_back(row.Text("IDPEDIDO") + "|" + row.Text("LEN") + "|" + row.Text("CLIENTE"));
        }
        return rows;
    }

    long long accountId = 0;
};

TEST_F(DatabaseTrouble, ALockShorterThanTheBusyTimeOutIsWaitedFor) {
    WriteLockHolder lock(file_);
    lock.ReleaseAfter(3s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sync(), "TRUE");
    std::cout << "[figure] sync under a 3 s lock took "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                       start)
                     .count()
              << " ms\n";
    EXPECT_THAT(Rows(), SizeIs(3));
    EXPECT_FALSE(Token().empty());
}

TEST_F(DatabaseTrouble, ALockLongerThanTheBusyTimeOutIsToldAndTheNextRunCompletes) {
    {
        WriteLockHolder lock(file_);
        lock.ReleaseAfter(7s);
        EXPECT_EQ(Sync(), "database is locked");
        EXPECT_EQ(Token(), "");
        EXPECT_THAT(Rows(), SizeIs(0));
    }
    EXPECT_EQ(Sync(), "TRUE");
    EXPECT_THAT(Rows(), SizeIs(3));
}

TEST_F(DatabaseTrouble, AFullDiskLeavesNoPartialRowAndEverythingComesOnceThereIsSpace) {
    std::string full;
    {
        store::Statement pages = db.Prepare("PRAGMA page_count");
        ASSERT_TRUE(pages.Step());
        full = pages.Text("page_count");
    }
    db.Execute("PRAGMA max_page_count = " + full);

    const std::string result = Sync();
    // The token fits in its page; the orders do not, and each insert fails whole.
    EXPECT_EQ(result, "TRUE");
    const std::vector<std::string> partial = Rows();
    EXPECT_LT(partial.size(), 3u);
    store::Statement check = db.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text("integrity_check"), "ok");

    db.Execute("PRAGMA max_page_count = 1073741823");
    EXPECT_EQ(Sync(), "TRUE");
    const std::vector<std::string> rows = Rows();
    EXPECT_THAT(rows, SizeIs(3));
    for (const std::string& row : partial) {
        EXPECT_THAT(rows, ::testing::Contains(row)); // rows written while full were whole
    }
}

// A filesystem of its own, mounted for the object's life where the machine allows it (root, and a
// system that lets it mount); Mounted() says whether it is.
class SmallFilesystem {
public:
    explicit SmallFilesystem(std::size_t bytes) {
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ =
            mount("tmpfs", folder_.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
        if (!mounted_) {
            why_ = std::strerror(errno);
        }
    }
    ~SmallFilesystem() {
        if (mounted_) {
            umount2(folder_.Path().c_str(), MNT_DETACH);
        }
    }
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }

    // Writes `file` until the filesystem refuses, then gives `room` bytes back.
    void Fill(const std::filesystem::path& file, std::size_t room) const {
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string block(1 << 16, 'f');
        off_t written = 0;
        for (ssize_t n = 0; (n = write(fd, block.data(), block.size())) > 0;) {
            written += n;
        }
        EXPECT_EQ(ftruncate(fd, std::max<off_t>(0, written - static_cast<off_t>(room))), 0);
        close(fd);
    }

private:
    TempFolder folder_;
    bool mounted_ = false;
    std::string why_;
};

TEST_F(DatabaseTrouble, ARealFilesystemThatFillsUpLeavesNoPartialRowAndEverythingComesOnceThereIsRoom) {
    SmallFilesystem disk(std::size_t{4} << 20);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no filesystem could be mounted here (" << disk.Why()
                     << "): a full disk is then shown through PRAGMA max_page_count only "
                        "(AFullDiskLeavesNoPartialRowAndEverythingComesOnceThereIsSpace)";
    }
    const std::filesystem::path file = disk / "BANCO.db";
    db.Execute("VACUUM INTO '" + file.string() + "'");
    store::Database onDisk(file);
    onDisk.Execute("PRAGMA journal_mode = WAL"); // as the prepared file is
    EXPECT_THAT(RowsOf(onDisk), SizeIs(0));

    // Room for the token, not for three orders of 20 KB.
    disk.Fill(disk / "filler", 3 * 4096);
    const std::string full = SyncOn(onDisk);
    std::cout << "sync on a full filesystem: " << full << "\n";
    const std::vector<std::string> partial = RowsOf(onDisk);
    EXPECT_LT(partial.size(), 3u);
    store::Statement check = onDisk.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text("integrity_check"), "ok");

    std::filesystem::remove(disk / "filler");
    EXPECT_EQ(SyncOn(onDisk), "TRUE");
    const std::vector<std::string> rows = RowsOf(onDisk);
    EXPECT_THAT(rows, SizeIs(3));
    for (const std::string& row : partial) {
        EXPECT_THAT(rows, ::testing::Contains(row)); // rows written while full were whole
    }
}

TEST_F(DatabaseTrouble, AReadOnlyFileGivesAClearTextAndNoCrash) {
    const std::string before = store::LeEmpresa(db)->NOME;
    chmod(file_.c_str(), 0444);
    {
        store::Database readOnly(file_); // opened as the program opens it
        if (access(file_.c_str(), W_OK) == 0) {
            // Running as root: the file mode stops nothing, so the connection refuses writes
            // instead, with the same engine error that a read-only file gives.
            readOnly.Execute("PRAGMA query_only = 1");
        }
        const std::string refused = "attempt to write a readonly database";
        EXPECT_EQ(SyncOn(readOnly), refused);
        EXPECT_EQ(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", true, readOnly,
                                         services.dispatch),
                  net::GenericFailure(refused));
    }
    EXPECT_EQ(store::LeEmpresa(db)->NOME, before);
    EXPECT_THAT(Rows(), SizeIs(0));

    chmod(file_.c_str(), 0644);
    EXPECT_EQ(Sync(), "TRUE");
    EXPECT_THAT(Rows(), SizeIs(3));
}

} // namespace
} // namespace brisko::test
