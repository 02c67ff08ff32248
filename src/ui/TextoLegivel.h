#pragma once
// Texts that come from outside (a service's answer, a name or an address it sent) are shown cut to
// a length a person reads at a glance: a hostile megabyte in a word-wrapped label costs the window
// seconds, and nobody reads past a few lines anyway. The database keeps them whole.
#include <QString>

#include <string_view>

namespace brisko::ui {

inline constexpr int kMaxCaracteresLegiveis = 300;
inline constexpr int kMaxLinhasLegiveis = 10;

// The text, or its first kMaxCaracteresLegiveis characters and at most kMaxLinhasLegiveis lines
// followed by "…". utf8: bytes that are not UTF-8 show as U+FFFD.
QString TextoLegivel(std::string_view utf8);
QString TextoLegivel(const QString& text);

} // namespace brisko::ui
