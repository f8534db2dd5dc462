#include "console/chart_file.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>
#include <clocale>
#include <memory>

#include "console/qt/check_chart_view.h"

namespace endcap {

namespace {

constexpr int kChartWidth = 900;
constexpr int kChartHeight = 500;

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Drawing needs an application object; a program without one draws on the offscreen platform,
// so no display is needed.
std::unique_ptr<QApplication> OffscreenApplication() {
  if (QCoreApplication::instance()) return nullptr;
  static int argc = 3;
  static char program[] = "endcap-chart";
  static char platformOption[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {program, platformOption, platform, nullptr};
  auto application = std::make_unique<QApplication>(argc, argv);
  // Qt takes the user's locale; the program's own numbers keep their decimal point.
  std::setlocale(LC_NUMERIC, "C");
  return application;
}

}  // namespace

bool WriteCheckChartsFile(const std::vector<CheckChart>& charts, const std::string& path, std::string& error) {
  const bool png = EndsWith(path, ".png") || EndsWith(path, ".PNG");
  const bool svg = EndsWith(path, ".svg") || EndsWith(path, ".SVG");
  if (!png && !svg) {
    error = path + ": the file must end in .png or .svg";
    return false;
  }
  const std::unique_ptr<QApplication> application = OffscreenApplication();
  const int height = kChartHeight * static_cast<int>(charts.size());
  QGraphicsScene scene(0, 0, kChartWidth, height);
  for (size_t i = 0; i < charts.size(); ++i) {
    QChart* chart = MakeCheckChart(charts[i]);
    chart->setGeometry(0, kChartHeight * static_cast<double>(i), kChartWidth, kChartHeight);
    scene.addItem(chart);
  }
  QString reason;
  if (png) {
    QImage image(kChartWidth, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter);
    painter.end();
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(image)) reason = writer.errorString();
  } else {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      QSvgGenerator generator;
      generator.setOutputDevice(&file);
      generator.setSize(QSize(kChartWidth, height));
      generator.setViewBox(QRect(0, 0, kChartWidth, height));
      QPainter painter(&generator);
      scene.render(&painter);
      painter.end();
      file.close();
    }
    if (file.error() != QFileDevice::NoError) reason = file.errorString();
  }
  if (reason.isEmpty()) return true;
  error = path + ": " + reason.toStdString();
  return false;
}

}  // namespace endcap
