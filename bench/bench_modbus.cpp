// Modbus exchanges with the device simulator, measured in one run:
//  - the round trip of one request from our client over TCP loopback (and over RTU on a
//    pseudo-terminal), beside the same requests from a libmodbus client against the same
//    simulator;
//  - a read of every parameter of each configurable model, one request per parameter as the
//    read command makes them, over TCP and over RTU; the RTU runs report the floor that the
//    quiet time after each answer (120000 / baud + 1 ms) sets, and their ratio to it.
//
// libmodbus is loaded at run time (libmodbus5, from libmodbus-dev); without it those runs are
// skipped. Every address handed to it is checked by the network guard first.

#include "connection/ComSettings.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CModbusRtuTransport.h"
#include "modbus/CNetworkGuard.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::int32_t kBaud = 38400;

// One korva-devsim process serving TCP and a pseudo-terminal; ended with SIGTERM.
class Simulator {
public:
    explicit Simulator(std::uint16_t modelCode, const std::string& firmware)
    {
        int out[2];
        if (::pipe(out) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string program = KORVA_PROGRAM_DIR "/korva-devsim";
        const std::string code = std::to_string(modelCode);
        std::vector<const char*> argv = {program.c_str(), "--tcp", "127.0.0.1:0", "--pty", "--code", code.c_str(),
                                         "--firmware", firmware.c_str(), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv.data()), environ) != 0)
            throw std::runtime_error("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::unique_ptr<FILE, decltype(&::fclose)> lines(::fdopen(out[0], "r"), &::fclose);
        char line[512];
        while ((m_port.empty() || m_pty.empty()) && std::fgets(line, sizeof line, lines.get())) {
            std::string text(line);
            text.erase(text.find_last_not_of("\r\n") + 1);
            if (text.rfind("tcp: ", 0) == 0)
                m_port = text.substr(text.rfind(':') + 1);
            else if (text.rfind("pty: ", 0) == 0)
                m_pty = text.substr(5);
        }
        if (m_port.empty() || m_pty.empty())
            throw std::runtime_error("korva-devsim did not name its endpoints");
    }
    ~Simulator()
    {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& Port() const { return m_port; }
    const std::string& Pty() const { return m_pty; }

private:
    pid_t m_pid = 0;
    std::string m_port;
    std::string m_pty;
};

Simulator& SimulatorFor(std::uint16_t modelCode, std::uint32_t firmware)
{
    static std::map<std::uint16_t, std::unique_ptr<Simulator>> running;
    auto& slot = running[modelCode];
    if (!slot)
        slot = std::make_unique<Simulator>(modelCode, std::to_string(firmware >> 16) + "." + std::to_string(firmware & 0xFFFF));
    return *slot;
}

void OpenClient(CModbusInterface& client, const Simulator& simulator, bool serial)
{
    ComSettings settings;
    settings.Address = 1;
    if (serial) {
        settings.Mode = ComSettings::ModeSerial;
        settings.COMPortName = QString::fromStdString(simulator.Pty());
        settings.Baudrate = 5; // 38400 bit/s
    } else {
        settings.Mode = ComSettings::ModeTcp;
        settings.ServerAddress = QStringLiteral("127.0.0.1");
        settings.ServicePort = QString::fromStdString(simulator.Port());
    }
    client.SetComSettings(settings);
    client.Open();
}

// The few libmodbus calls used here, resolved from libmodbus.so.5.
struct Libmodbus {
    using New = void* (*)(const char*, int);
    using NewRtu = void* (*)(const char*, int, char, int, int);
    using Connect = int (*)(void*);
    using SetSlave = int (*)(void*, int);
    using ReadRegisters = int (*)(void*, int, int, std::uint16_t*);
    using Release = void (*)(void*);

    static const Libmodbus* Load()
    {
        static const std::unique_ptr<Libmodbus> library = []() -> std::unique_ptr<Libmodbus> {
            void* handle = ::dlopen("libmodbus.so.5", RTLD_NOW | RTLD_LOCAL);
            if (!handle)
                return nullptr;
            auto lib = std::make_unique<Libmodbus>();
            lib->newTcp = reinterpret_cast<New>(::dlsym(handle, "modbus_new_tcp"));
            lib->newRtu = reinterpret_cast<NewRtu>(::dlsym(handle, "modbus_new_rtu"));
            lib->connect = reinterpret_cast<Connect>(::dlsym(handle, "modbus_connect"));
            lib->setSlave = reinterpret_cast<SetSlave>(::dlsym(handle, "modbus_set_slave"));
            lib->readRegisters = reinterpret_cast<ReadRegisters>(::dlsym(handle, "modbus_read_registers"));
            lib->close = reinterpret_cast<Release>(::dlsym(handle, "modbus_close"));
            lib->free = reinterpret_cast<Release>(::dlsym(handle, "modbus_free"));
            if (!lib->newTcp || !lib->newRtu || !lib->connect || !lib->setSlave || !lib->readRegisters || !lib->close || !lib->free)
                return nullptr;
            return lib;
        }();
        return library.get();
    }

    New newTcp = nullptr;
    NewRtu newRtu = nullptr;
    Connect connect = nullptr;
    SetSlave setSlave = nullptr;
    ReadRegisters readRegisters = nullptr;
    Release close = nullptr;
    Release free = nullptr;
};

// A libmodbus context, connected, freed at the end of the scope.
class LibmodbusClient {
public:
    LibmodbusClient(const Libmodbus& lib, const Simulator& simulator, bool serial) : m_lib(lib)
    {
        if (serial) {
            m_context = lib.newRtu(simulator.Pty().c_str(), kBaud, 'N', 8, 1);
        } else {
            // libmodbus connects by itself: the guard sees the destination first.
            sockaddr_in destination{};
            destination.sin_family = AF_INET;
            destination.sin_port = htons(static_cast<std::uint16_t>(std::stoi(simulator.Port())));
            ::inet_pton(AF_INET, "127.0.0.1", &destination.sin_addr);
            CNetworkGuard::CheckDestination(reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
            m_context = lib.newTcp("127.0.0.1", std::stoi(simulator.Port()));
        }
        if (!m_context || lib.setSlave(m_context, 1) != 0 || lib.connect(m_context) != 0)
            throw std::runtime_error("libmodbus cannot connect");
    }
    ~LibmodbusClient()
    {
        if (m_context) {
            m_lib.close(m_context);
            m_lib.free(m_context);
        }
    }
    LibmodbusClient(const LibmodbusClient&) = delete;
    LibmodbusClient& operator=(const LibmodbusClient&) = delete;

    void Read(int address, int count, std::uint16_t* values)
    {
        if (m_lib.readRegisters(m_context, address, count, values) != count)
            throw std::runtime_error("libmodbus read failed");
    }

private:
    const Libmodbus& m_lib;
    void* m_context = nullptr;
};

// The first configurable model serves the round trips.
const DevTypeEntry& RoundTripModel()
{
    return CDevType::Entries()[static_cast<std::size_t>(CDevType::OfferedRows()[0])];
}

void RoundTripKorva(benchmark::State& state, bool serial)
{
    Simulator& simulator = SimulatorFor(RoundTripModel().modelCode, 0x10000);
    CModbusInterface client;
    OpenClient(client, simulator, serial);
    std::vector<std::uint16_t> values(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        client.ReadHoldingRegisters(9600, static_cast<std::uint16_t>(values.size()), values);
    state.SetItemsProcessed(state.iterations());
}

void RoundTripLibmodbus(benchmark::State& state, bool serial)
{
    const Libmodbus* lib = Libmodbus::Load();
    if (!lib) {
        state.SkipWithError("libmodbus.so.5 is not installed (apt-get install libmodbus-dev)");
        return;
    }
    Simulator& simulator = SimulatorFor(RoundTripModel().modelCode, 0x10000);
    LibmodbusClient client(*lib, simulator, serial);
    std::vector<std::uint16_t> values(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        client.Read(9600, static_cast<int>(values.size()), values.data());
    state.SetItemsProcessed(state.iterations());
}

void BM_RoundTrip_Korva_Tcp(benchmark::State& state) { RoundTripKorva(state, false); }
void BM_RoundTrip_Libmodbus_Tcp(benchmark::State& state) { RoundTripLibmodbus(state, false); }
void BM_RoundTrip_Korva_Rtu(benchmark::State& state) { RoundTripKorva(state, true); }
void BM_RoundTrip_Libmodbus_Rtu(benchmark::State& state) { RoundTripLibmodbus(state, true); }

BENCHMARK(BM_RoundTrip_Korva_Tcp)->Arg(1)->Arg(10)->Arg(125)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoundTrip_Libmodbus_Tcp)->Arg(1)->Arg(10)->Arg(125)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoundTrip_Korva_Rtu)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoundTrip_Libmodbus_Rtu)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

// Every parameter of the model in the registry row, one request each, as the read command does.
void ReadEveryParameter(benchmark::State& state, bool serial)
{
    const int row = static_cast<int>(state.range(0));
    const DevTypeEntry& entry = CDevType::Entries()[static_cast<std::size_t>(row)];
    const std::uint32_t firmware = entry.firmwareMinimum ? entry.firmwareMinimum : 0x10000;
    Simulator& simulator = SimulatorFor(entry.modelCode, firmware);
    const auto model = CDevType::Create(row, firmware, ModelUse::Configuration);
    CModbusInterface client;
    OpenClient(client, simulator, serial);
    int requests = 0;
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        requests = 0;
        for (int i = 0; i < model->GetCount(); ++i) {
            CParValue& value = model->GetAt(i).GetValue();
            if (value.GetCount() == 0)
                continue;
            client.ReadHoldingRegisters(value.GetAddress(), value.GetCount(), value.GetWords());
            ++requests;
        }
    }
    state.SetLabel(QString::fromUtf16(entry.modelName).toStdString());
    state.counters["requests"] = requests;
    if (serial) {
        // The quiet time after each answer alone; the transfer itself adds to it on a real line.
        const double floorMs = requests * static_cast<double>(CModbusRtuTransport::PauseAfterResponse(kBaud).count());
        const double measuredMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count()
            / static_cast<double>(state.iterations());
        state.counters["floor_ms"] = floorMs;
        state.counters["x_floor"] = measuredMs / floorMs;
    }
}

void BM_ReadEveryParameter_Tcp(benchmark::State& state) { ReadEveryParameter(state, false); }
void BM_ReadEveryParameter_Rtu(benchmark::State& state) { ReadEveryParameter(state, true); }

void ConfigurableModels(benchmark::internal::Benchmark* benchmark)
{
    for (const int row : CDevType::OfferedRows())
        benchmark->Arg(row);
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ReadEveryParameter_Tcp)->Apply(ConfigurableModels);
BENCHMARK(BM_ReadEveryParameter_Rtu)->Apply(ConfigurableModels);

} // namespace
