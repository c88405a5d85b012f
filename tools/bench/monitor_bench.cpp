#include "monitor_bench.h"

#include <QCoreApplication>

#include "link/monitor.h"
#include "stats.h"
#include "ui/monitor/monitor_view.h"

namespace kdx::bench {

namespace {

// A monitor with its view on screen, as in the main window.
struct ShownMonitor {
  Monitor monitor;
  ui::MonitorView view{monitor};

  ShownMonitor() {
    view.resize(640, 360);
    view.show();
    QCoreApplication::processEvents();
  }

  void append(const std::vector<std::string>& pieces) {
    for (const auto& piece : pieces) monitor.append(piece);
  }

  // One exchange appended and shown, in microseconds; `appendOnly` gets the
  // time before the repaint.
  double timedAppend(const std::vector<std::string>& pieces, double* appendOnly = nullptr) {
    const long long start = NowNs();
    append(pieces);
    const long long appended = NowNs();
    QCoreApplication::processEvents();
    if (appendOnly) *appendOnly = static_cast<double>(appended - start) / 1e3;
    return static_cast<double>(NowNs() - start) / 1e3;
  }
};

}  // namespace

MonitorFigures MeasureMonitorAppend(const std::vector<std::string>& pieces, int prefill,
                                    int shortPrefill, int samples) {
  MonitorFigures figures;
  figures.prefilled = prefill;
  figures.shortPrefilled = shortPrefill;
  for (const auto& piece : pieces) figures.exchangeBytes += piece.size();

  ShownMonitor empty;
  ShownMonitor full;
  ShownMonitor brief;
  for (int i = 0; i < prefill; ++i) {
    full.append(pieces);
    if (i < shortPrefill) brief.append(pieces);
    if (i % 100 == 99) QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();

  // A few untimed turns first, so that no monitor pays for first use.
  for (int i = 0; i < 5; ++i) {
    empty.monitor.clear();
    empty.timedAppend(pieces);
    full.timedAppend(pieces);
    brief.timedAppend(pieces);
  }
  for (int i = 0; i < samples; ++i) {
    // The empty monitor is emptied (untimed) before each of its samples, as
    // an operation without "Record Data" does.
    empty.monitor.clear();
    QCoreApplication::processEvents();
    for (int turn = 0; turn < 3; ++turn) {
      switch ((i + turn) % 3) {
        case 0: {
          double appendOnly = 0;
          figures.emptyUs.push_back(empty.timedAppend(pieces, &appendOnly));
          figures.emptyAppendUs.push_back(appendOnly);
          break;
        }
        case 1: {
          double appendOnly = 0;
          figures.fullUs.push_back(full.timedAppend(pieces, &appendOnly));
          figures.fullAppendUs.push_back(appendOnly);
          break;
        }
        default: {
          double appendOnly = 0;
          figures.shortUs.push_back(brief.timedAppend(pieces, &appendOnly));
          figures.shortAppendUs.push_back(appendOnly);
          break;
        }
      }
    }
  }
  return figures;
}

}  // namespace kdx::bench
