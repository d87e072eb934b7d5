// A full text refresh of the largest model (every row's display name, and its value text with
// unit as the parameter list shows it) through the language database, beside a baseline of the
// same number of raw pugixml XPath look-ups on the same language file, measured in the same run.
//
// Run it from a build whose bin/English.lng holds the parameter sections; without them the
// look-ups still run but find nothing.

#include "app/CResourceDatabase.h"
#include "model/CDevVK20C.h"

#include <QDir>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace {

QString LanguageFile()
{
    return QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng"));
}

void LoadLanguageOnce()
{
    static const bool loaded = [] {
        CResourceDatabase::Instance().LoadLanguageFile(LanguageFile());
        return true;
    }();
    (void)loaded;
}

// Every look-up a refresh of `device` makes, in order, as the database words them.
std::vector<std::string> LookupsOfRefresh(const CDevInterface& device, const pugi::xml_document& document)
{
    const std::string section = QString::fromUtf16(device.GetSection()).toStdString();
    std::vector<std::string> lookups;
    for (int i = 0; i < device.GetCount(); ++i) {
        const CParInterface& parameter = device.GetAt(i);
        const ParDefinition& row = parameter.GetDefinition();
        const std::string name = QString::fromUtf16(row.name).toStdString();
        lookups.push_back("/root/parameter[@name='" + section + "']/text[@name='" + name + "']");
        if (row.kind == PK_LIST16 || row.kind == PK_LIST32) {
            const std::string list = QString::fromUtf16(row.list).toStdString();
            const std::string value = std::to_string(parameter.GetValue().GetWords()[0]);
            const std::string item = "/root/parameter[@name='" + section + "']/list[@name='" + list
                + "']/item[value=\"" + value + "\"]/text";
            lookups.push_back(item);
            // The short form is asked only when the item form has no text.
            if (document.select_node(item.c_str()).node().child_value()[0] == '\0')
                lookups.push_back("/root/parameter[@name='" + section + "']/list[@name='" + list
                                  + "']/text[@name='" + value + "']");
        }
        if (const char* unit = UnitMessageKey(row.unit))
            lookups.push_back(std::string("/root/message/text[@name='") + unit + "']");
    }
    return lookups;
}

void BM_TextRefreshOfLargestModel(benchmark::State& state)
{
    LoadLanguageOnce();
    const CDevVK20C device;
    for (auto _ : state) {
        for (int i = 0; i < device.GetCount(); ++i) {
            QString name = device.GetAt(i).GetName();
            QString value = device.GetDisplayText(i, device.GetAt(i).GetTextWithUnit());
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(value);
        }
    }
    state.counters["rows"] = device.GetCount();
}
BENCHMARK(BM_TextRefreshOfLargestModel);

void BM_RawXPathLookupsBaseline(benchmark::State& state)
{
    pugi::xml_document document;
    if (!document.load_file(LanguageFile().toStdString().c_str())) {
        state.SkipWithError("cannot read English.lng");
        return;
    }
    const CDevVK20C device;
    const std::vector<std::string> lookups = LookupsOfRefresh(device, document);
    const pugi::xml_node root = document.document_element();
    for (auto _ : state) {
        for (const std::string& expression : lookups) {
            std::string text = root.select_node(expression.c_str()).node().child_value();
            benchmark::DoNotOptimize(text);
        }
    }
    state.counters["lookups"] = static_cast<double>(lookups.size());
}
BENCHMARK(BM_RawXPathLookupsBaseline);

} // namespace
