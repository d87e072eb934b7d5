#pragma once
// The channel set of a 920 MHz channel row as the channel panel shows it: one box per channel,
// at most ten of them chosen. The register image holds the chosen channel numbers one per word,
// 0 for an empty slot.

#include <array>

class CParValue;

inline constexpr int kChannelBoxCount = 43;
// A device keeps at most this many channels: one register each.
inline constexpr int kChannelSlots = 10;

// checks[k - 1] is box k.
using ChannelChecks = std::array<bool, kChannelBoxCount>;

// Box k is checked when some word of the image equals k (zero words check nothing).
ChannelChecks ChannelsOfImage(const CParValue& image);

// Writes the checked box numbers in box order into the image's words, up to its ten slots, and
// zeroes the slots left over.
void StoreChannels(const ChannelChecks& checks, CParValue& image);

int CheckedChannelCount(const ChannelChecks& checks);

// With ten boxes checked only those stay selectable, so that no eleventh can be chosen.
bool IsChannelBoxSelectable(const ChannelChecks& checks, int box);
