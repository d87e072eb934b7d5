#pragma once
// One parameter of a device model: its constant definition row, the language section of its
// model, and its current register image. Converts between the register words and the texts the
// user sees and types; typed text is checked before anything is stored, so a rejected text
// leaves the words as they were.

#include "app/CResourceManager.h"
#include "model/CParValue.h"
#include "model/ParDefinition.h"

#include <QString>

#include <cstdint>

class CParInterface : public CResourceManager {
public:
    // A parameter holding the row's default value. `section` and `definition` are constant data
    // that outlive the parameter.
    CParInterface(const char16_t* section, const ParDefinition& definition);
    // The parameter keeps a pointer to its row: a temporary row would be gone at once.
    CParInterface(const char16_t* section, ParDefinition&& definition) = delete;
    CParInterface(const CParInterface&) = default;
    CParInterface& operator=(const CParInterface&) = default;
    ~CParInterface() override;

    const ParDefinition& GetDefinition() const { return *m_definition; }
    const char16_t* GetSection() const { return m_section; }
    CParValue& GetValue() { return m_value; }
    const CParValue& GetValue() const { return m_value; }

    // The display name from the language file.
    QString GetName() const;
    // The value text, by kind.
    QString GetText() const;
    // The value text, then the hexadecimal form of PK_UINT32HEX, then the unit in brackets.
    QString GetTextWithUnit() const;
    // The language text of a unit index; empty for 0 or an unlisted index.
    static QString GetUnitText(std::int32_t unit);
    // The display text of a list value; empty when the list has none.
    QString GetListText(std::int32_t value) const;
    // List kinds: the value of the list entry at `position`, -1 past the end. Other kinds:
    // `position` itself.
    std::int32_t GetListValue(std::int32_t position) const;
    // `number` (in register units) written the way this parameter writes its values: with its
    // decimals, in hexadecimal or as a list text. Range messages show their limits with it.
    QString FormatNumber(std::int64_t number) const;

    // Stores a register value unchecked (list choices, dependent values). Kinds 4, 5, 8 and 9
    // take the low 16 bits, kind 10 all 32; other kinds ignore it.
    void SetValue(std::int32_t value);
    // Replaces the whole register image by a copy of `value`.
    void AssignValue(const CParValue& value);
    // Checks a typed text with the rule of the parameter's kind and stores it. Throws
    // CPrivateException with the rule's message and leaves the words untouched when the text is
    // refused. Kinds that are not typed (lists, channels, read-only kinds) accept and store
    // nothing.
    void SetText(const QString& text);
    // Throws "rangeerr" unless minimum <= number <= maximum.
    void CheckRange(std::int64_t number) const;

private:
    std::int32_t Scale() const;
    QString FormatFixedPoint(double registerValue) const;
    std::uint32_t Value32() const;
    std::int64_t ReadNumber(const QString& text) const;
    void SetTextOfText(const QString& text);
    void SetTextOfNetworkName(const QString& text);
    void SetTextOfKey(const QString& text);

    const ParDefinition* m_definition;
    const char16_t* m_section;
    CParValue m_value;
    std::int64_t m_minimum;
    std::int64_t m_maximum;
    std::int32_t m_decimals;
    std::int32_t m_unit;
};
