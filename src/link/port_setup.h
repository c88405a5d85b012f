#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "link/session.h"

namespace kdx {

// Rates the scan tries, in order; the baud combo accepts their texts. The
// combo lists the first kListedRates; the last is reached by typing or a scan.
inline constexpr std::array<int, 5> kScanRates{9600, 19200, 38400, 57600, 115200};
inline constexpr std::size_t kListedRates = 4;
// Ports the scan tries, COM1 to COM16. The combo lists COM1 to COM15; COM16
// is reached by typing or a scan.
inline constexpr int kHighestPort = 16;
inline constexpr int kListedPorts = 15;

// "COM1" to "COM16" (exactly, upper case) to the port number.
std::optional<int> ParsePortText(std::string_view text);
// "9600 bits/s" ... "115200 bits/s" to the rate.
std::optional<int> ParseBaudText(std::string_view text);
std::string BaudText(int rate);
std::string PortText(int port);

// The port dialog as the presenter sees it.
class PortSetupView {
 public:
  virtual ~PortSetupView() = default;
  virtual std::string portText() = 0;
  virtual std::string baudText() = 0;
  virtual void setPortText(const std::string& text) = 0;
  virtual void setBaudText(const std::string& text) = 0;
  virtual void setScanStatus(const std::string& text) = 0;
  virtual void focusPort() = 0;
  virtual void focusBaud() = 0;
  // Closes the dialog after a passed unit check.
  virtual void accept() = 0;
};

// The logged unit check behind "OK": the card status command with the
// check byte verified. "OK" for a verified "P" or "N" reply, "" for a verified
// reply of another kind, "ERROR" otherwise. Sets `portError` when the port
// itself failed (which is not the unit's fault).
std::string IRUnitIfOk(Session& session, bool* portError = nullptr);

// The scan's silent unit test: nothing goes to the monitor. `where` names
// the port and rate for the traffic rows.
bool CommTest(Session& session, std::string_view where = {});

// Opens the port at the rate; true when that raised no error. `result`,
// when given, says how it went.
bool OpenComm(Session& session, int port, int baud, OpenResult* result = nullptr);

// "OK": check the texts, open the port, run the unit check; opens the link
// and closes the dialog when the unit answers.
void ConfirmPortSetup(Session& session, PortSetupView& view);

// "SCAN": every port and rate until a unit answers; the port stays open at
// what was found. Returns true when a unit was found.
bool ScanPorts(Session& session, PortSetupView& view);

// "Close Comm": close the port (errors ignored) and clear the link flag.
void CloseLink(Session& session);

// A port and the device behind it, for messages: "COM1 (/dev/ttyUSB0)", or
// "COM1" where the line has no device path, or the path alone for a port
// opened by its path (number 0).
std::string PortLabel(int port, std::string_view path);

// What to do about a lost port, in the windows.
inline constexpr std::string_view kLostPortAdvice = "Check the cable and press Setup Comm.";

// The caution text for a port whose device vanished while the link was open,
// with `advice` on its second line.
std::string LostPortText(const PortFault& fault, std::string_view advice = kLostPortAdvice);

// When the line's port reports that its device is gone: closes the port,
// clears the link flag and tells the operator which port was lost, so that
// the next command asks for port setup instead of failing on a dead port.
// Returns false, doing nothing, while the port has not reported that.
bool DropLostLink(Session& session, std::string_view advice = kLostPortAdvice);

}  // namespace kdx
