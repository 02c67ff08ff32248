// A text from outside, cut to what a person reads at a glance before it reaches a label, a status
// panel or a message box.
#include "TextoLegivel.h"

#include <gtest/gtest.h>

#include <string>

namespace brisko::ui {
namespace {

const QString kEllipsis = QStringLiteral("…");

QString Repeat(const QString& piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(TextoLegivel, CutsAtThreeHundredCharactersOrTenLinesWithAnEllipsis) {
    struct Case {
        const char* name;
        QString text;
        QString shown;
    };
    const QString a300 = Repeat(QStringLiteral("a"), 300);
    const QString accented300 = Repeat(QStringLiteral("ã"), 300);
    const QString emoji300 = Repeat(QStringLiteral("🧾"), 300); // two UTF-16 units, one character each
    const QString lines10 = Repeat(QStringLiteral("linha\r\n"), 9) + QStringLiteral("linha");
    const Case cases[] = {
        {"short", QStringLiteral("Sem Conexão - Verifique sua Internet! ,x"),
         QStringLiteral("Sem Conexão - Verifique sua Internet! ,x")},
        {"empty", QString(), QString()},
        {"exactly 300", a300, a300},
        {"301", a300 + QStringLiteral("b"), a300 + kEllipsis},
        {"300 accented and more", accented300 + QStringLiteral("ç"), accented300 + kEllipsis},
        {"characters, not halves", emoji300 + QStringLiteral("🧾"), emoji300 + kEllipsis},
        {"ten lines", lines10, lines10},
        {"eleven lines", lines10 + QStringLiteral("\r\nonze"), lines10 + kEllipsis},
        {"bare line feeds", Repeat(QStringLiteral("x\n"), 12),
         Repeat(QStringLiteral("x\n"), 9) + "x" + kEllipsis},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextoLegivel(c.text), c.shown);
        const QByteArray utf8 = c.text.toUtf8();
        EXPECT_EQ(TextoLegivel(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))),
                  c.shown);
    }
}

TEST(TextoLegivel, AHostileMegabyteIsNeverDecodedWhole) {
    // Invalid bytes show one replacement character each, so they are cut like characters.
    const std::string invalid(std::size_t{32} << 20, '\x80');
    const QString shown = TextoLegivel(invalid);
    EXPECT_EQ(shown, Repeat(QString(QChar::ReplacementCharacter), 300) + kEllipsis);

    const std::string markup = "<b>x</b>" + std::string(std::size_t{1} << 20, 'm');
    EXPECT_EQ(TextoLegivel(markup),
              QStringLiteral("<b>x</b>") + Repeat(QStringLiteral("m"), 292) + kEllipsis);
}

} // namespace
} // namespace brisko::ui
