// From the renderer's predictions on this computer to the farm's time, the
// farm's verdict on the MXI size, and the price.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "renderer/render_mode.h"

namespace torva {

// "Est. at SL=" + SL text + " -->  " + farm time + " (TORVA) - " + local time + " (your system)",
// the two times describing the same render (the whole of it, on the farm and here).
std::string EstimateLine(std::string_view sl_text, std::string_view farm_time_text,
                         std::string_view local_time_text);

// Whole MiB, remainders dropped at each division by 1024.
long long WholeMiB(std::uintmax_t bytes);

enum class MxiVerdict { kAccepted, kTooBig, kNotProduced };
// Equal to the limit is accepted; 0 MiB (missing, or under 1 MiB) is not produced.
MxiVerdict JudgeMxi(long long mxi_size_mb, long long limit_mb);

struct FarmPrice {
  int units = 0;
  float unit_price = 0;  // EUR per unit and farm hour
};

// Farm hours of `farm_time_text` × units × unit price, in that order, kept as
// a 32-bit float.
float FarmCost(std::string_view farm_time_text, FarmPrice price);
// The same for a farm time in seconds.
float FarmCostOfSeconds(double farm_seconds, FarmPrice price);
// Two decimals, "." as the point.
std::string CostText(float cost);

// The texts of the evaluation.
std::vector<std::string> TooBigLines(const std::string& file_size_mb_text, long long limit_mb);
std::string TooBigMessage(long long mxi_size_mb, long long limit_mb);
std::vector<std::string> NotProducedLines();
std::vector<std::string> CostPanelLines(const std::string& cost_text, RenderMode mode);
std::vector<std::string> CostLogLines(const std::string& cost_text, RenderMode mode);

}  // namespace torva
