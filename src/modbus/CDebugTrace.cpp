#include "modbus/CDebugTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Registry {
    std::mutex guard;
    int nextId = 1;
    std::vector<std::pair<int, CDebugTrace::Listener>> listeners;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

bool TraceToStderr()
{
    const char* value = std::getenv("KORVA_TRACE");
    return value && std::strcmp(value, "1") == 0;
}

} // namespace

void CDebugTrace::Write(const QString& line)
{
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.guard);
    if (TraceToStderr()) {
        const QByteArray bytes = line.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    }
    for (auto& [id, listener] : registry.listeners)
        listener(line);
}

int CDebugTrace::AddListener(Listener listener)
{
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.guard);
    const int id = registry.nextId++;
    registry.listeners.emplace_back(id, std::move(listener));
    return id;
}

void CDebugTrace::RemoveListener(int id)
{
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.guard);
    std::erase_if(registry.listeners, [id](const auto& entry) { return entry.first == id; });
}
