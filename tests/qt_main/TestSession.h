#pragma once
// The windows write autostart entries when created, so a program that opens them under test points
// the user's home and configuration folders at `session` first.
#include <QByteArray>
#include <QTemporaryDir>

namespace brisko::test {

inline void UseSessionFolder(const QTemporaryDir& session) {
    const QByteArray root = session.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_CONFIG_DIRS", root + "/xdg");
    qputenv("XDG_RUNTIME_DIR", root);
}

} // namespace brisko::test
