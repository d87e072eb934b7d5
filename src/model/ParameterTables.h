#pragma once
// The constant parameter tables of the device models, one per model class, and the language
// sections the models take their texts from. A row's position is the parameter's index.

#include "model/ParDefinition.h"

#include <span>

namespace ParameterTables {

// Language sections (also the model names of the device type registry).
inline constexpr char16_t kSectionVK20E[] = u"VK20E";
inline constexpr char16_t kSectionVK20A[] = u"VK20A";
inline constexpr char16_t kSectionVK20B[] = u"VK20B";
inline constexpr char16_t kSectionVK20B_2[] = u"VK20B_2";
inline constexpr char16_t kSectionVK20C[] = u"VK20C";
inline constexpr char16_t kSectionVK20CF[] = u"VK20CF";

// Configuration models.
std::span<const ParDefinition> VK20E();
std::span<const ParDefinition> VK20A();
std::span<const ParDefinition> VK20B();
std::span<const ParDefinition> VK20B_2();
std::span<const ParDefinition> VK20C();
std::span<const ParDefinition> VK20CF();
// Monitor models.
std::span<const ParDefinition> M_VKxx();
std::span<const ParDefinition> M_VKxxC();
std::span<const ParDefinition> M_VKxxCF();

} // namespace ParameterTables
