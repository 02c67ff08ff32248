#include "Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>

namespace brisko::ui {

QString RobotoFamily() {
    static const QString family = [] {
        QString loaded;
        // Bundled under :/fonts by the build only when the system had the files.
        const QStringList files = QDir(QStringLiteral(":/fonts")).entryList({QStringLiteral("*.ttf")});
        for (const QString& file : files) {
            const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/") + file);
            if (id >= 0 && loaded.isEmpty()) {
                loaded = QFontDatabase::applicationFontFamilies(id).value(0);
            }
        }
        return loaded.isEmpty() ? QApplication::font().family() : loaded;
    }();
    return family;
}

} // namespace brisko::ui
