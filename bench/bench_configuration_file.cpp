// Saving and loading a configuration file of the model with the most registers, beside
// baselines measured in the same run: pugixml writing the same document, and pugixml parsing
// the same file without any of the loader's checks and look-ups.

#include "app/ConfigurationFile.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <memory>

namespace {

constexpr int kRowOfVK20B_2 = 15;

struct Files {
    QTemporaryDir dir;
    QString saved = dir.filePath(QStringLiteral("saved.cfg"));
    QString loaded = dir.filePath(QStringLiteral("loaded.cfg"));
    QString raw = dir.filePath(QStringLiteral("raw.cfg"));
    std::unique_ptr<CDevInterface> device = CDevType::Create(kRowOfVK20B_2, 0, ModelUse::Configuration);

    Files() { SaveConfigurationFile(*device, loaded); }
};

Files& TheFiles()
{
    static Files files;
    return files;
}

void BM_SaveConfigurationFile(benchmark::State& state)
{
    Files& files = TheFiles();
    for (auto _ : state)
        SaveConfigurationFile(*files.device, files.saved);
}
BENCHMARK(BM_SaveConfigurationFile);

void BM_RawWriteBaseline(benchmark::State& state)
{
    Files& files = TheFiles();
    pugi::xml_document document;
    document.load_file(files.loaded.toStdString().c_str());
    const std::string path = files.raw.toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(document.save_file(path.c_str(), "", pugi::format_raw));
}
BENCHMARK(BM_RawWriteBaseline);

void BM_LoadConfigurationFile(benchmark::State& state)
{
    Files& files = TheFiles();
    for (auto _ : state) {
        auto device = LoadConfigurationFile(files.loaded);
        benchmark::DoNotOptimize(device);
    }
}
BENCHMARK(BM_LoadConfigurationFile);

void BM_RawParseBaseline(benchmark::State& state)
{
    const std::string path = TheFiles().loaded.toStdString();
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(path.c_str()));
    }
}
BENCHMARK(BM_RawParseBaseline);

} // namespace
