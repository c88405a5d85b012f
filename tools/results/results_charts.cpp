#include "results_charts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

namespace kdx::results {

namespace {

// A new, empty chart for `view` (the old one is deleted with it).
QChart* Fresh(QWidget* widget, const QString& title) {
  auto* view = qobject_cast<QChartView*>(widget);
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setAnimationOptions(QChart::NoAnimation);
  QChart* old = view->chart();
  view->setChart(chart);
  delete old;
  return chart;
}

QValueAxis* ValueAxis(const QString& title, double max) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setRange(0, max > 0 ? max * 1.05 : 1);
  axis->applyNiceNumbers();
  return axis;
}

QString TimeTitle(const TimeScale& scale) {
  return QStringLiteral("elapsed time (%1)").arg(QString::fromLatin1(scale.unit));
}

}  // namespace

QWidget* NewChartView(QWidget* parent) {
  auto* view = new QChartView(new QChart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(220);
  return view;
}

void ShowExchangeTimes(QWidget* view, const ExchangeTimeChart& data) {
  QChart* chart =
      Fresh(view, data.thinned ? "Exchange time (longest per interval)" : "Exchange time");
  auto* x = ValueAxis(TimeTitle(data.scale), data.maxX);
  auto* y = ValueAxis("exchange time (ms)", data.maxY);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (const auto& unit : data.units) {
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(unit.name));
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(unit.line.size()));
    for (const ChartPoint& p : unit.line) points.append({p.x, p.y});
    line->replace(points);
    chart->addSeries(line);
    line->attachAxis(x);
    line->attachAxis(y);
    if (unit.failures.empty()) continue;
    auto* marks = new QScatterSeries;
    marks->setName(QString::fromStdString(unit.name) + " failures");
    marks->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    marks->setMarkerSize(8);
    // Red, edged in the unit's colour.
    marks->setColor(Qt::red);
    marks->setBorderColor(line->color().darker(150));
    QList<QPointF> failures;
    for (const ChartPoint& p : unit.failures) failures.append({p.x, p.y});
    marks->replace(failures);
    chart->addSeries(marks);
    marks->attachAxis(x);
    marks->attachAxis(y);
  }
}

void ShowFailureBins(QWidget* view, const FailureBinChart& data) {
  QChart* chart = Fresh(view, QStringLiteral("Failures per %1 %2")
                                  .arg(data.binWidth, 0, 'g', 3)
                                  .arg(QString::fromLatin1(data.scale.unit)));
  auto* series = new QBarSeries;
  for (const auto& unit : data.units) {
    auto* set = new QBarSet(QString::fromStdString(unit.name));
    for (std::int64_t count : unit.counts) set->append(static_cast<double>(count));
    series->append(set);
  }
  chart->addSeries(series);
  auto* x = new QBarCategoryAxis;
  x->setTitleText(QStringLiteral("interval start, %1").arg(TimeTitle(data.scale)));
  for (const std::string& label : data.labels) x->append(QString::fromStdString(label));
  auto* y = new QValueAxis;
  y->setTitleText("failures (exchanges not positive)");
  // Whole numbers: a tick per failure up to ten, else round steps.
  if (data.maxCount <= 10) {
    y->setRange(0, static_cast<double>(std::max<std::int64_t>(1, data.maxCount)));
    y->setTickCount(static_cast<int>(std::max<std::int64_t>(1, data.maxCount)) + 1);
  } else {
    y->setRange(0, static_cast<double>(data.maxCount));
    y->applyNiceNumbers();
  }
  y->setLabelFormat("%.0f");
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(x);
  series->attachAxis(y);
}

void ShowSerialHistory(QWidget* view, const QString& serial, const std::vector<SerialRun>& runs) {
  QChart* chart = Fresh(view, serial.isEmpty() ? QStringLiteral("Runs of a serial number")
                                               : QStringLiteral("Runs of %1").arg(serial));
  auto* x = new QDateTimeAxis;
  x->setTitleText("run started (date and time)");
  x->setFormat("yyyy-MM-dd hh:mm");
  auto* y = ValueAxis("pass rate (% of passes with every exchange positive)", 100);
  y->setRange(0, 100);
  y->setTickCount(5);
  y->setLabelFormat("%.0f");
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  auto* line = new QLineSeries;
  line->setName("pass rate");
  auto* dots = new QScatterSeries;
  dots->setName("runs");
  dots->setMarkerSize(8);
  qint64 first = 0;
  qint64 last = 0;
  for (const SerialRun& run : runs) {
    const QDateTime at =
        QDateTime::fromString(QString::fromStdString(run.started), Qt::ISODateWithMs);
    if (!at.isValid()) continue;
    const qint64 ms = at.toMSecsSinceEpoch();
    first = line->count() ? std::min(first, ms) : ms;
    last = line->count() ? std::max(last, ms) : ms;
    line->append(static_cast<double>(ms), run.passRate());
    dots->append(static_cast<double>(ms), run.passRate());
  }
  if (line->count() == 0) first = last = QDateTime::currentMSecsSinceEpoch();
  // A single run gets a day around it.
  if (last - first < 60000) {
    first -= 12 * 3600 * 1000LL;
    last += 12 * 3600 * 1000LL;
  }
  x->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
  for (QXYSeries* series : {static_cast<QXYSeries*>(line), static_cast<QXYSeries*>(dots)}) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
  }
}

bool SaveChartPng(QWidget* view, const QString& path, int width, int height) {
  view->resize(width, height);
  // The chart lays itself out on posted events: let them run first.
  QCoreApplication::sendPostedEvents();
  if (auto* chartView = qobject_cast<QChartView*>(view)) {
    chartView->chart()->resize(QSizeF(width, height));
    QCoreApplication::sendPostedEvents();
  }
  return view->grab().save(path, "PNG");
}

}  // namespace kdx::results
