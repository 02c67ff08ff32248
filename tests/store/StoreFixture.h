#pragma once
// A connection to a new database file made from the program's schema, in a folder of its own.
#include <gtest/gtest.h>

#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"

namespace brisko::test {

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : file_((FreshDatabase(folder_ / "BANCO.db"), folder_ / "BANCO.db")), db(file_) {}

    const std::filesystem::path& File() const { return file_; }

private:
    TempFolder folder_;
    std::filesystem::path file_;

protected:
    store::Database db;
};

} // namespace brisko::test
