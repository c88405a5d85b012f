#pragma once

#include <string>
#include <vector>

namespace kdx::bench {

// Time to append one exchange's monitor text, in microseconds per exchange.
struct MonitorFigures {
  // The append itself: Monitor::append and the view's document update, as
  // the exchange pays for it before the window is repainted.
  std::vector<double> emptyAppendUs;
  std::vector<double> fullAppendUs;
  // The append and then the repaint (pending events processed).
  std::vector<double> emptyUs;  // into a monitor emptied before each sample
  std::vector<double> fullUs;   // into a monitor holding `prefilled` exchanges
  // Into a monitor holding `shortPrefilled` exchanges: enough to fill the
  // view and show the scroll bar, little history. Tells the cost of a full
  // view apart from the cost of a long history.
  std::vector<double> shortUs;
  std::vector<double> shortAppendUs;
  int prefilled = 0;
  int shortPrefilled = 0;
  std::size_t exchangeBytes = 0;
};

// Appends `pieces` (one exchange, in the pieces the transaction appends them)
// through kdx::Monitor::append with a shown MonitorView attached, then lets
// the view do its work (layout, scroll bar, paint) by processing the pending
// events; both are timed, as together they are what the operator waits for.
// The append alone is timed too. The monitors take turns sample by sample, in a rotating order.
// Needs a QApplication.
MonitorFigures MeasureMonitorAppend(const std::vector<std::string>& pieces, int prefill,
                                    int shortPrefill, int samples);

}  // namespace kdx::bench
