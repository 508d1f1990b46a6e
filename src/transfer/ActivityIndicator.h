#pragma once
#include <QString>
#include <cstdint>

namespace vyper {

class MessageSink;

// The progress line for n: a fish between tildes whose place and heading follow
// |sin(3n/36)|. left = |36 sin θ|, right = |36 cos θ| (rounded, halves to even);
// the fish heads right while |36 sin| grows from n to n+1 (or stays), else left.
// 3n is a 16-bit value: throws the overflow failure for n outside -10922..10922.
QString ActivityLine(int16_t n);

// Appends ActivityLine(n) to the message list, selects it and repaints the list at once.
void ShowActivity(MessageSink& messages, int16_t n);

}  // namespace vyper
