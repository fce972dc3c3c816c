// What one identify exchange costs the UI thread besides its mandated sleeps (two 5 ms polls
// and two 100 ms step pauses): the simulator's clock only advances, so the figure is the
// link's own work plus the simulator's. Target: under 50 us per exchange.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "calc_link/calc_data_provider_impl.h"
#include "calc_link/usb_io_base_impl.h"
#include "tests/support/sim_calculator/sim_calculator.h"

namespace {

const std::wstring path = L"\\\\?\\hid#vid_3c5d&pid_7e21#bench";

vanta_sim::calc_config bench_config(std::uint16_t report_length) {
    vanta_sim::calc_config config;
    config.name = u"Orv K58x bench unit";
    config.input_report_length = report_length;
    config.output_report_length = report_length;
    return config;
}

// Millions of exchanges run hours of virtual time.
void unguarded(vanta_sim::sim_hid_platform& sim) {
    sim.set_time_limit_ms(UINT64_MAX);
    sim.set_operation_limit(UINT64_MAX);
}

// As the frame does it for a calculator that arrives: provider, open, capabilities, identify,
// then close and destroy.
void BM_identify_lifecycle(benchmark::State& state) {
    vanta_sim::sim_hid_platform sim;
    unguarded(sim);
    auto& calc = sim.add_device(path, bench_config(static_cast<std::uint16_t>(state.range(0))));
    const vanta_kit::hid_caps caps = calc.caps();
    for (auto _ : state) {
        vanta_kit::calc_data_provider_impl provider(sim);
        provider.open(path, 1);
        provider.get_io()->set_caps(&caps);
        if (provider.identify() == 0) state.SkipWithError("identify failed");
        provider.close();
        calc.clear_records();
        sim.clear_sleeps();
    }
    state.counters["virtual_ms"] =
        static_cast<double>(sim.now_ms()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_identify_lifecycle)->Arg(64)->Arg(16);

// The exchange alone on an open transport: command, header read, payload read.
void BM_identify_transfers(benchmark::State& state) {
    vanta_sim::sim_hid_platform sim;
    unguarded(sim);
    auto& calc = sim.add_device(path, bench_config(64));
    const vanta_kit::hid_caps caps = calc.caps();
    vanta_kit::usb_io_base_impl io(sim);
    io.open(path);
    io.set_caps(&caps);
    std::uint8_t header[5];
    std::uint8_t payload[62];
    for (auto _ : state) {
        io.write_byte(0xFA);
        sim.sleep(100);
        io.read(header, 5);
        sim.sleep(100);
        if (io.read(payload, header[4]) < 0) state.SkipWithError("transfer failed");
        benchmark::DoNotOptimize(payload);
        calc.clear_records();
        sim.clear_sleeps();
    }
}
BENCHMARK(BM_identify_transfers);

}  // namespace
