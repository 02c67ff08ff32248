// GoogleTest with a QApplication on the offscreen platform. The windows write autostart entries
// when created, so the user's configuration folders are pointed at a temporary folder first.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir session;
    const QByteArray root = session.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_CONFIG_DIRS", root + "/xdg");
    qputenv("XDG_RUNTIME_DIR", root);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
