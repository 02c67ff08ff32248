// GoogleTest with a QApplication on the offscreen platform. The windows write autostart entries
// when created, so the user's configuration folders are pointed at a temporary folder first.
#include "TestSession.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir session;
    brisko::test::UseSessionFolder(session);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
