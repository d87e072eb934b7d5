#include "app/ChannelSelection.h"

#include "model/CParValue.h"

#include <algorithm>

ChannelChecks ChannelsOfImage(const CParValue& image)
{
    ChannelChecks checks{};
    for (const std::uint16_t word : image.GetWords()) {
        if (word >= 1 && word <= kChannelBoxCount)
            checks[word - 1u] = true;
    }
    return checks;
}

void StoreChannels(const ChannelChecks& checks, CParValue& image)
{
    auto words = image.GetWords();
    const std::size_t slotCount = std::min<std::size_t>(words.size(), kChannelSlots);
    std::size_t slot = 0;
    for (int box = 1; box <= kChannelBoxCount && slot < slotCount; ++box) {
        if (checks[static_cast<std::size_t>(box - 1)])
            words[slot++] = static_cast<std::uint16_t>(box);
    }
    for (; slot < slotCount; ++slot)
        words[slot] = 0;
}

int CheckedChannelCount(const ChannelChecks& checks)
{
    return static_cast<int>(std::count(checks.begin(), checks.end(), true));
}

bool IsChannelBoxSelectable(const ChannelChecks& checks, int box)
{
    if (box < 1 || box > kChannelBoxCount)
        return false;
    return CheckedChannelCount(checks) < kChannelSlots || checks[static_cast<std::size_t>(box - 1)];
}
