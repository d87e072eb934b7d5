#include "model/CDevM_VKxx.h"

#include "model/ParameterTables.h"

namespace {

// The signal level a device reports while it has no wireless link (a wired device always).
constexpr std::uint16_t kNoSignal = 0x8000;

} // namespace

CDevM_VKxx::CDevM_VKxx()
{
    LoadDefinitions(ParameterTables::kSectionVK20A, ParameterTables::M_VKxx());
}

QString CDevM_VKxx::GetDisplayText(int index, const QString& text) const
{
    if (NameAt(index) != u"rssi")
        return text;
    const auto words = GetAt(index).GetValue().GetWords();
    return !words.empty() && words[0] == kNoSignal ? QString() : text;
}
