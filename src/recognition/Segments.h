#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

namespace quillo {

// Single characters that alone (up to four of them) make a segment a mere filler.
inline constexpr std::array<QStringView, 11> fillerCharacters{
    u"嗯", u"啊", u"呃", u"额", u"哦", u"噢", u"唔", u"呣", u"哼", u"呀", u"哈"};

// Lower-case words that alone make a segment a mere filler.
inline constexpr std::array<QStringView, 11> fillerWords{
    u"um", u"uh", u"umm", u"hmm", u"hm", u"emm", u"em", u"mm", u"ah", u"oh", u"er"};

// True when a recognised segment carries no words worth inserting and is dropped.
bool isFillerSegment(const QString &segment);

// Joins trimmed segments; a space only between an ASCII letter/digit and another.
QString joinSegments(const QStringList &segments);

} // namespace quillo
