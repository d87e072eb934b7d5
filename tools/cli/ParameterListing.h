#pragma once
// A parameter set as the parameter list shows it, for korva-cli's show and monitor: the groups
// from the caption rows, then per parameter its definition name (what set takes), its display
// name and its value text with unit after the model's display-text rule. Also as JSON, with the
// register image of each parameter and without the captions.

#include <QJsonArray>
#include <QString>

#include <memory>

class CDevInterface;

// The model's name ("VK20C") and its display name in the current language, found through the
// registry by the set's model code and firmware.
struct ModelNames {
    QString name;
    QString displayName;
};
ModelNames ModelNamesOf(const CDevInterface& set);

// "VK20C  VK20C (920 MHz wireless)  code 6014  firmware 1.0", without a line break.
QString ModelHeadline(const CDevInterface& set);

// One line per caption and per parameter.
QString ParameterListText(const std::shared_ptr<CDevInterface>& set);

// [{"index": N, "name": S, "display": S, "text": S, "address": N, "words": [N, ...]}, ...]
QJsonArray ParameterListJson(const std::shared_ptr<CDevInterface>& set);
