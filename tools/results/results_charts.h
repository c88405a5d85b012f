#pragma once

#include <QString>
#include <string>
#include <vector>

#include "chart_data.h"

class QWidget;

namespace kdx::results {

// The results window's charts. Only results_charts.cpp sees Qt Charts (its
// headers are slow to compile): a chart is a QWidget here, made by
// NewChartView and filled by one of the Show functions.
QWidget* NewChartView(QWidget* parent = nullptr);

// Exchange time (ms) over elapsed time, a line per unit and its failures
// marked on it.
void ShowExchangeTimes(QWidget* view, const ExchangeTimeChart& chart);
// Failures per unit in intervals of elapsed time, as bars.
void ShowFailureBins(QWidget* view, const FailureBinChart& chart);
// One serial number's runs over the days: each run's pass rate.
void ShowSerialHistory(QWidget* view, const QString& serial, const std::vector<SerialRun>& runs);

// Renders `view` at `width` x `height` pixels into a PNG file.
bool SaveChartPng(QWidget* view, const QString& path, int width, int height);

}  // namespace kdx::results
