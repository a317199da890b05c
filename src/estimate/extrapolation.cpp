#include "estimate/extrapolation.h"

#include "text/numbers.h"
#include "text/time_text.h"

namespace torva {

namespace {

std::string CostLine(const std::string& cost_text, RenderMode mode) {
  return std::string(12, ' ') + cost_text + " EUR (With " + ModeName(mode) + "-Low priority)";
}

// Ten blanks, then a text that begins with two blanks of its own.
const std::string kDiscountLine = std::string(10, ' ') + "  ...or less with volume discounts!";

}  // namespace

std::string EstimateLine(std::string_view sl_text, std::string_view farm_time_text,
                         std::string_view local_time_text) {
  return "Est. at SL=" + std::string(sl_text) + " -->  " + std::string(farm_time_text) +
         " (TORVA) - " + std::string(local_time_text) + " (your system)";
}

long long WholeMiB(std::uintmax_t bytes) { return static_cast<long long>(bytes / 1024 / 1024); }

MxiVerdict JudgeMxi(long long mxi_size_mb, long long limit_mb) {
  if (mxi_size_mb > limit_mb) return MxiVerdict::kTooBig;
  if (mxi_size_mb == 0) return MxiVerdict::kNotProduced;
  return MxiVerdict::kAccepted;
}

float FarmCost(std::string_view farm_time_text, FarmPrice price) {
  return FarmCostOfSeconds(static_cast<double>(ParseTimeText(farm_time_text)), price);
}

float FarmCostOfSeconds(double farm_seconds, FarmPrice price) {
  const double farm_hours = farm_seconds / 3600.0;
  return static_cast<float>(farm_hours * price.units * price.unit_price);
}

std::string CostText(float cost) { return FormatFixed(cost, 2); }

std::vector<std::string> TooBigLines(const std::string& file_size_mb_text, long long limit_mb) {
  return {"WARNING: the MXI size (" + file_size_mb_text + ") is too big!",
          "The MXI size limit accepted by the TORVA is " + std::to_string(limit_mb) + " MB.",
          "The project will be rejected by the TORVA.",
          "Please reduce the X/Y resolution and/or the number of emitters."};
}

std::string TooBigMessage(long long mxi_size_mb, long long limit_mb) {
  return "The project MXI size (~ " + std::to_string(mxi_size_mb) +
         " MB) exceeds the limit accepted by the TORVA (" + std::to_string(limit_mb) + " MB).";
}

std::vector<std::string> NotProducedLines() {
  return {"ERROR: the MXI file could not be produced!",
          "Make sure the scene is compatible with your Maxwell version and has no error."};
}

std::vector<std::string> CostPanelLines(const std::string& cost_text, RenderMode mode) {
  return {"Estimated cost for this project (without merging):",
          "",
          CostLine(cost_text, mode),
          kDiscountLine,
          "",
          "The merging time will be added to the total cost",
          "(1 to 20 mininutes depending on MXI size)."};
}

std::vector<std::string> CostLogLines(const std::string& cost_text, RenderMode mode) {
  return {"Estimated cost for this project (not including merging):", CostLine(cost_text, mode),
          kDiscountLine};
}

}  // namespace torva
