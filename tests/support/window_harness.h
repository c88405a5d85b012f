#pragma once

#include <QApplication>
#include <QDir>
#include <memory>

#include "link_harness.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/reader_main.h"

namespace kdx::test {

// Answers the save and open dialogs with preset paths, or cancels when the
// path is empty.
struct FakeFileDialogs final : ui::FileDialogs {
  QString answer;
  QString openAnswer;
  QString csvAnswer;
  QString sessionAnswer;
  int asked = 0;
  int openAsked = 0;
  std::optional<QString> saveTextFile(QWidget*) override {
    ++asked;
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }
  std::optional<QString> openTextFile(QWidget*) override {
    ++openAsked;
    if (openAnswer.isEmpty()) return std::nullopt;
    return openAnswer;
  }
  std::optional<QString> saveCsvFile(QWidget*) override {
    if (csvAnswer.isEmpty()) return std::nullopt;
    return csvAnswer;
  }
  std::optional<QString> saveSessionFile(QWidget*) override {
    if (sessionAnswer.isEmpty()) return std::nullopt;
    return sessionAnswer;
  }
};

// The main window over a scripted line on virtual time, link closed.
struct WindowHarness : LinkHarness {
  DeviceRecords records;
  FakeFileDialogs files;
  std::unique_ptr<ui::ReaderMain> window;

  WindowHarness() {
    state.linkOpen = false;
    window = std::make_unique<ui::ReaderMain>(session, records, files);
  }

  template <class W = QWidget>
  W* find(const QString& name) const {
    return window->findChild<W*>(name);
  }
};

}  // namespace kdx::test

#include <QTimer>

#include "sim_rig.h"

namespace kdx::test {

// The main window over the in-process simulated unit, link open.
struct SimWindow : SimRig {
  DeviceRecords records;
  FakeFileDialogs files;
  std::unique_ptr<ui::ReaderMain> window{std::make_unique<ui::ReaderMain>(session, records, files)};

  template <class W = QWidget>
  W* find(const QString& name) const {
    return window->findChild<W*>(name);
  }
};

// Runs `act` on the next modal dialog as soon as it is shown (the operation
// that opens it blocks in exec() until `act` closes it).
inline void WhenModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start();
}

}  // namespace kdx::test
