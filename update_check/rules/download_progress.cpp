#include "update_check/rules/download_progress.h"

#include <utility>

namespace orv {

download_progress::download_progress(std::uint64_t size, report on_change)
    : size_(size), on_change_(std::move(on_change)) {}

void download_progress::add(std::uint64_t count) {
    received_ += count;
    // Only the full blocks are certain now; a partial one may be the end or may grow.
    std::uint64_t full = received_ - received_ % step_bytes;
    // One step per block, as 1,024-byte reads would take them; a step costs a division, so a
    // large read stays cheap.
    while (stepped_ < full) step(stepped_ + step_bytes);
}

void download_progress::complete() {
    if (received_ != stepped_) step(received_);
    if (size_ == 0 && received_ != 0 && last_percent_ != 100) {
        last_percent_ = 100;
        if (on_change_) on_change_(100);
    }
}

void download_progress::step(std::uint64_t total) {
    stepped_ = total;
    if (size_ == 0) return;
    std::uint64_t percent = total * 100 / size_;
    int clamped = percent > 100 ? 100 : static_cast<int>(percent);
    if (clamped == last_percent_) return;
    last_percent_ = clamped;
    if (on_change_) on_change_(clamped);
}

}  // namespace orv
