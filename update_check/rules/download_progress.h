// Progress percentages of a package download. Portable.
//
// The bar moves in the steps that reading the package 1,024 bytes at a time gives: after each
// full 1,024 bytes and after the final bytes, percent = received * 100 / size (integer
// quotient), reported only when it changes. The transfer itself may read far more per call;
// this class turns whatever arrives into exactly those steps. A 2,500-byte package gives 40,
// 81, 100.
//
// A listed size of 0 says nothing about the length: no step is reported while data arrives,
// and one step of 100 when the transfer completes with data. Percentages never exceed 100,
// also when more data arrives than listed.
#pragma once

#include <cstdint>
#include <functional>

namespace orv {

class download_progress {
public:
    using report = std::function<void(int percent)>;

    static constexpr std::uint64_t step_bytes = 1024;

    download_progress(std::uint64_t size, report on_change);

    // `count` more bytes have arrived.
    void add(std::uint64_t count);

    // The transfer has ended with everything received (a read gave 0 bytes).
    void complete();

    std::uint64_t received() const noexcept { return received_; }
    int last_percent() const noexcept { return last_percent_; }

private:
    void step(std::uint64_t total);

    std::uint64_t size_;
    report on_change_;
    std::uint64_t received_ = 0;
    // The last total that a step was taken at (a multiple of step_bytes, or the final total).
    std::uint64_t stepped_ = 0;
    int last_percent_ = -1;
};

}  // namespace orv
