#include "TextoLegivel.h"

#include <algorithm>
#include <cstddef>

namespace brisko::ui {

QString TextoLegivel(std::string_view utf8) {
    // A character takes at most four bytes, and an invalid byte shows as one character: a longer
    // text is cut within this many bytes, so a megabyte is never decoded.
    constexpr std::size_t kBytesBastam = 4 * kMaxCaracteresLegiveis + 4;
    const std::size_t lidos = std::min(utf8.size(), kBytesBastam);
    return TextoLegivel(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(lidos)));
}

QString TextoLegivel(const QString& text) {
    int caracteres = 0;
    int linhas = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isLowSurrogate()) {
            continue; // the second half of a character already counted
        }
        qsizetype corte = -1;
        if (++caracteres > kMaxCaracteresLegiveis) {
            corte = i;
        } else if (c == u'\n' && ++linhas > kMaxLinhasLegiveis) {
            // The line break goes with the lines after it, and a CR before it too.
            corte = i > 0 && text.at(i - 1) == u'\r' ? i - 1 : i;
        }
        if (corte >= 0) {
            return text.left(corte) + QStringLiteral("…");
        }
    }
    return text;
}

} // namespace brisko::ui
