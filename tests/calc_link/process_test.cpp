// Properties of the whole process, so this binary runs apart from the others: the default-name
// counter of a fresh program, and transfers that never touch the heap.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/calc_link/link_fixture.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace link_test {
namespace {

// Counts the allocations `work` makes.
template <typename Work>
long allocations_during(Work&& work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations.load();
}

// Must run before anything else in this process asks for a name.
TEST(fresh_program, default_names_start_at_0_and_every_call_counts) {
    vanta_sim::sim_hid_platform sim;
    auto& calc = sim.add_device(calc_path);
    vanta_kit::calc_data_provider_impl unnamed(sim), named(sim);
    ASSERT_EQ(named.open(calc.path(), 1), vanta_kit::link_ok);
    const auto caps = calc.caps();
    named.get_io()->set_caps(&caps);
    ASSERT_NE(named.identify(), 0u);

    EXPECT_EQ(unnamed.get_name(), L"Orv K58x-0");
    EXPECT_EQ(unnamed.get_name(), L"Orv K58x-1");
    EXPECT_EQ(named.get_name(), L"K58x");
    EXPECT_EQ(unnamed.get_name(), L"Orv K58x-3");
}

class allocation_free : public link_fixture {};

// The counter sees what the link allocates: opening a provider creates its transport.
TEST_F(allocation_free, counter_sees_the_link_allocate) {
    auto& calc = plug();
    vanta_kit::calc_data_provider_impl provider(sim);
    EXPECT_GE(allocations_during([&] { provider.open(calc.path(), 1); }), 1);
}

TEST_F(allocation_free, transfers_allocate_nothing) {
    auto& calc = plug();
    calc.reserve_records(1 << 16);
    const bytes message = pattern(200);
    const bytes reply = pattern(4200);
    calc.model().queue_message(reply);
    auto io = open_transport(calc);
    bytes destination(4200);

    const long count = allocations_during([&] {
        EXPECT_EQ(io->write_byte(0x01), vanta_kit::link_ok);
        EXPECT_EQ(io->write(message.data(), 200), vanta_kit::link_ok);
        EXPECT_EQ(io->read(destination.data(), 5), vanta_kit::link_ok);
        EXPECT_EQ(io->read(destination.data() + 5, 4195), vanta_kit::link_ok);
        calc.faults().fail_poll_at = static_cast<std::int64_t>(calc.polls());
        EXPECT_EQ(io->write_byte(0x01), vanta_kit::link_fail);  // and the close that follows
    });
    EXPECT_EQ(count, 0);
    EXPECT_EQ(destination, reply);
}

// The name is the one thing an identify exchange stores on the heap (when it is longer than the
// string's inline capacity); an empty one takes none.
TEST_F(allocation_free, identify_and_block_query_allocate_nothing_but_the_name) {
    vanta_sim::calc_config identified;
    identified.name = u"";
    auto& calc = plug(identified);
    auto provider = open_provider(calc);
    // A provider of its own: the padding of the identify reply's report would open the next
    // reply read on the same connection.
    vanta_sim::calc_config queried;
    queried.block_payload = pattern(30000);
    auto& other = sim.add_device(L"\\\\?\\hid#vid_3c5d&pid_7e21#other", queried);
    other.reserve_records(1 << 12);
    auto block_provider = open_provider(other);

    std::int32_t length = 0;
    const long count = allocations_during([&] {
        EXPECT_NE(provider->identify(), 0u);
        provider->signal_update_start();
        EXPECT_EQ(block_provider->query_block(&length), 0);
    });
    EXPECT_EQ(count, 0);
    EXPECT_EQ(length, 30000);
    EXPECT_EQ(other.model().pending_bytes(), 0u);
}

}  // namespace
}  // namespace link_test
