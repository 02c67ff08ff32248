#pragma once
// Courier marks written one after another, each as durable as a commit that waits for the disk,
// without the next request waiting for that disk: the commits return at once and the write-ahead
// log is flushed right after each on a helper thread. A mark taken back by a power cut would have
// the next pass request a second courier for its order.
#include "BackgroundLogSync.h"
#include "Database.h"

#include <optional>

namespace brisko::courier {

class DurableMarks {
public:
    // From here on, until Finish(), commits on `db` do not wait for the disk.
    explicit DurableMarks(store::Database& db);
    // Finish(), its error left to the error already on its way out.
    ~DurableMarks();
    DurableMarks(const DurableMarks&) = delete;
    DurableMarks& operator=(const DurableMarks&) = delete;

    // After each mark committed. Once a flush by the log's name has failed, commits wait for the
    // disk again and the marks so far are flushed through the connection before this returns.
    void Written();
    // Waits for the flushes asked for and puts commits back to waiting for the disk; after a failed
    // flush, flushes the log through the connection. Throws DatabaseError when the marks could not
    // be made durable.
    void Finish();

private:
    void WaitForTheDisk();

    store::Database& db_;
    std::optional<store::CommitsWithoutDiskWait> withoutDiskWait_;
    store::BackgroundLogSync logSync_;
    bool finished_ = false;
};

} // namespace brisko::courier
