#pragma once

#include <stdexcept>
#include <string>

#include "contact/cpu_operations.h"
#include "device_fakes.h"
#include "sim_rig.h"

namespace kdx::test {

// A CPU or SAM card window's inputs and result boxes, recorded instead of
// shown. The inputs start as the windows' defaults.
struct FakeCpuCardView final : CpuCardView {
  CpuCardInputs in{true, "00A40000023F00", "SAM 1"};
  std::string resetText = "old ATR";
  std::string responseText = "old response";
  int resetClears = 0;
  int responseClears = 0;

  CpuCardInputs inputs() const override { return in; }
  void clearResetText() override {
    resetText.clear();
    ++resetClears;
  }
  void appendResetText(std::string_view hex) override { resetText += hex; }
  void clearResponseText() override {
    responseText.clear();
    ++responseClears;
  }
  void appendResponseText(std::string_view hex) override { responseText += hex; }
};

// Runs a window's operations by button name over `Rig`'s session.
template <class Rig>
struct CpuCardRig : Rig {
  FakeCpuCardView view;
  CpuCardContext context{this->session, view};

  CommandOutcome press(CpuCardWindow window, std::string_view control) {
    const CpuCardOperation* row = FindCpuCardOperation(window, control);
    if (!row) throw std::invalid_argument("no card window button " + std::string(control));
    return RunOperation(context, *row);
  }
};

// Over a scripted line, and over the in-process simulated unit.
using CpuCardHarness = CpuCardRig<LinkHarness>;
using CpuCardSim = CpuCardRig<SimRig>;

}  // namespace kdx::test
