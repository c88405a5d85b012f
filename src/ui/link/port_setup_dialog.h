#pragma once

#include <QDialog>

#include "link/port_setup.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace kdx::ui {

// "Communication Setting": port and rate, the unit check behind "OK", and the
// automatic scan that folds out below.
class PortSetupDialog final : public QDialog, public PortSetupView {
  Q_OBJECT
 public:
  // Heights in twips of the folded and unfolded dialog (1440 twips an inch).
  static constexpr int kFoldedTwips = 3165;
  static constexpr int kUnfoldedTwips = 4485;

  PortSetupDialog(Session& session, QWidget* parent = nullptr);

  bool unfolded() const { return unfolded_; }
  void toggleFold();

  std::string portText() override;
  std::string baudText() override;
  void setPortText(const std::string& text) override;
  void setBaudText(const std::string& text) override;
  void setScanStatus(const std::string& text) override;
  void focusPort() override;
  void focusBaud() override;
  void accept() override;

 private:
  void applyFold();
  void showPortPath();

  Session& session_;
  QComboBox* port_;
  QComboBox* baud_;
  QLabel* portPath_;
  QLabel* autoLabel_;
  QFrame* scanPart_;
  QLabel* scanStatus_;
  bool unfolded_ = false;
};

}  // namespace kdx::ui
