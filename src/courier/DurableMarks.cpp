#include "DurableMarks.h"

namespace brisko::courier {

DurableMarks::DurableMarks(store::Database& db)
    : db_(db), withoutDiskWait_(std::in_place, db), logSync_(store::WriteAheadLogFile(db)) {}

DurableMarks::~DurableMarks() {
    try {
        Finish();
    } catch (...) {
    }
}

void DurableMarks::Written() {
    if (!withoutDiskWait_) { // the commit itself waited for the disk
        return;
    }
    if (logSync_.Failed()) {
        WaitForTheDisk();
        return;
    }
    logSync_.Request();
}

void DurableMarks::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    const bool flushed = logSync_.Wait();
    withoutDiskWait_.reset();
    if (!flushed) {
        store::SyncWriteAheadLog(db_);
    }
}

void DurableMarks::WaitForTheDisk() {
    withoutDiskWait_.reset();
    store::SyncWriteAheadLog(db_);
}

} // namespace brisko::courier
