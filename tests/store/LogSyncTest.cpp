// The write-ahead log flushed on a helper thread: what was asked for is flushed before Wait()
// returns, requests made during a flush are served by one after it, and failures are reported.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "BackgroundLogSync.h"
#include "Platform.h"
#include "StoreFixture.h"

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using store::BackgroundLogSync;

// A flush that records its calls and, while closed, holds each one until opened.
class GatedSync {
public:
    BackgroundLogSync::SyncFile Function() {
        return [this](const fs::path& file) {
            std::unique_lock lock(mutex_);
            started_.push_back(file);
            changed_.notify_all();
            changed_.wait(lock, [&] { return open_; });
            ++finished_;
            return true;
        };
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void AwaitStarted(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return started_.size() >= count; });
    }
    std::vector<fs::path> Started() const {
        const std::lock_guard lock(mutex_);
        return started_;
    }
    int Finished() const {
        const std::lock_guard lock(mutex_);
        return finished_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<fs::path> started_;
    int finished_ = 0;
    bool open_ = false;
};

std::string Mark(store::Database& db, long long id) {
    const auto row = store::PedidoPorId(db, id);
    return row ? row->ID_MCH : "(gone)";
}

TEST_F(StoreTest, LogSyncFlushesTheConnectionsLogAndWaitReturnsOnlyAfterIt) {
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "1"});
    const fs::path log = store::WriteAheadLogFile(db);
    EXPECT_EQ(fs::canonical(log), fs::canonical(File().string() + "-wal"));

    GatedSync gated;
    BackgroundLogSync sync(log, gated.Function());
    {
        const store::CommitsWithoutDiskWait relaxed(db);
        store::MarcaRovezor(db, 1);
    }
    sync.Request();
    gated.AwaitStarted(1);
    EXPECT_FALSE(sync.Failed());
    gated.Open();
    EXPECT_TRUE(sync.Wait());
    EXPECT_EQ(gated.Finished(), 1);
    EXPECT_EQ(gated.Started(), std::vector<fs::path>{log});

    // The real flush, by name, of the log the engine keeps open.
    BackgroundLogSync real(log);
    real.Request();
    EXPECT_TRUE(real.Wait());
    EXPECT_TRUE(real.Wait()) << "nothing asked for: returns at once";
}

TEST(LogSync, RequestsDuringAFlushAreServedByOneFlushAfterIt) {
    GatedSync gated;
    {
        BackgroundLogSync sync("BANCO.db-wal", gated.Function());
        sync.Request();
        gated.AwaitStarted(1);
        sync.Request();
        sync.Request();
        sync.Request();
        gated.Open();
        EXPECT_TRUE(sync.Wait());
        EXPECT_EQ(gated.Started().size(), 2u);

        sync.Request(); // owed when the helper is told to stop
    }
    EXPECT_EQ(gated.Finished(), 3) << "the destructor serves what was asked for";
}

TEST(LogSync, AFlushThatFailsIsReportedOnceByWait) {
    TempFolder folder;
    fs::create_directory(folder / "folder-wal");
    for (const fs::path& log : {folder / "gone-wal", folder / "folder-wal"}) {
        BackgroundLogSync sync(log);
        sync.Request();
        EXPECT_FALSE(sync.Wait()) << log;
        EXPECT_FALSE(sync.Failed()) << "reported once: " << log;
        EXPECT_TRUE(sync.Wait()) << log;

        sync.Request();
        while (!sync.Failed()) { // seen without waiting, once the flush has run
            std::this_thread::yield();
        }
        EXPECT_FALSE(sync.Wait()) << log;
    }
    bool thrown = false;
    BackgroundLogSync throwing("x-wal", [&](const fs::path&) -> bool {
        thrown = true;
        throw std::runtime_error("no disk");
    });
    throwing.Request();
    EXPECT_FALSE(throwing.Wait());
    EXPECT_TRUE(thrown);
}

TEST_F(StoreTest, LogIsFlushedThroughTheEnginesHandleWhenItsNameLeadsElsewhere) {
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "1"});
    const fs::path log = store::WriteAheadLogFile(db);
    {
        const store::CommitsWithoutDiskWait relaxed(db);
        store::MarcaRovezor(db, 1);
    }
    fs::remove(log);
    fs::create_directory(log);
    EXPECT_FALSE(platform::SyncFileToDisk(log));
    EXPECT_NO_THROW(store::SyncWriteAheadLog(db));
    EXPECT_EQ(Mark(db, 1), "ROVEZOR");
    fs::remove(log); // the engine deletes its log at the close
}

} // namespace
} // namespace brisko::test
