// Simulated Orv K58x calculators for tests: the one header to include.
//
//   vanta_sim::sim_hid_platform sim;                 // a vanta_kit::hid_platform
//   vanta_sim::calc_config config;                   // name, version bytes, report lengths...
//   config.name = u"Lab 3";
//   vanta_sim::sim_device& calc = sim.add_device(L"\\\\?\\hid#vid_3c5d&pid_7e21#1", config);
//   calc.faults().vanish_at_operation = 4;           // unplugged at its 5th operation
//
//   vanta_kit::calc_data_provider_impl provider(sim);
//   provider.open(calc.path(), 1);
//   vanta_kit::hid_caps caps = calc.caps();
//   provider.get_io()->set_caps(&caps);
//   provider.identify();                             // runs on the virtual clock
//
//   calc.output_reports()                            // what the host sent, with virtual times
//   calc.poll_times(), sim.sleeps(), sim.now_ms()    // timing
//   calc.model().commands_received(0xE6)             // what the calculator understood
//   sim.limit_exceeded(), sim.misuse_count()         // hangs and handle misuse
//
// Layers, each usable on its own:
//  - calc_model (calc_model.h): the calculator's report protocol as a pure state machine;
//  - sim_device (sim_device.h): one device path with faults, handles and traffic records;
//  - sim_hid_platform (sim_hid_platform.h): the five platform operations over any number of
//    devices, on a virtual clock with a hang guard.
// No test framework is needed; to turn a hang into a test failure under GoogleTest:
//   sim.set_limit_handler([](const char* reason) { ADD_FAILURE() << reason; });
#pragma once

#include "tests/support/sim_calculator/calc_model.h"
#include "tests/support/sim_calculator/sim_device.h"
#include "tests/support/sim_calculator/sim_hid_platform.h"
