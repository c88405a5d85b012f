// The simulated device at the byte level: which host frames it refuses with
// NAK and which it ignores, straight on the model with no line in between.
#include <QtTest>

#include "link/frame.h"
#include "model/device_model.h"

using kdx::Bytes;
using kdx::sim::DeviceModel;

namespace {

// Every output the model has scheduled, piece by piece.
std::vector<Bytes> Drain(DeviceModel& model) {
  std::vector<Bytes> out;
  while (const auto at = model.nextOutputAt()) out.push_back(model.takeOutput(*at));
  return out;
}

Bytes StatusCommand(std::uint8_t address = 0) {
  return kdx::BuildCommand(address, '1', '0');
}

// The status command with byte `index` set to `value` and a right check byte.
Bytes Altered(std::size_t index, std::uint8_t value) {
  Bytes frame = StatusCommand();
  frame[index] = value;
  frame.back() = kdx::ComputeBcc(frame);
  return frame;
}

}  // namespace

class SimFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void brokenFramesGetNak_data() {
    QTest::addColumn<Bytes>("frame");
    Bytes badBcc = StatusCommand();
    badBcc.back() ^= 0x01;
    Bytes shortText{0xF2, 0x00, 0x00, 0x02, 'C', '1', 0x03, 0};
    shortText.back() = kdx::ComputeBcc(shortText);
    QTest::newRow("wrong check byte") << badBcc;
    QTest::newRow("marker not C") << Altered(4, 'X');
    QTest::newRow("ETX missing") << Altered(7, 0x02);
    QTest::newRow("text shorter than 3") << shortText;
    QTest::newRow("length beyond any command") << Bytes{0xF2, 0x00, 0xFF, 0xFF};
  }
  void brokenFramesGetNak() {
    QFETCH(Bytes, frame);
    DeviceModel model;
    model.receive(frame, 0);
    QCOMPARE(Drain(model), std::vector<Bytes>{Bytes{0x15}});
    QCOMPARE(model.commandsRun(), 0);
  }

  void otherAddressGetsNothing() {
    DeviceModel model;
    model.setAddress(0x0B);
    Bytes broken = StatusCommand(0x03);
    broken.back() ^= 0xFF;
    model.receive(StatusCommand(0x03), 0);
    model.receive(broken, 100);  // not even a NAK
    QVERIFY(!model.nextOutputAt());
    model.receive(StatusCommand(0x0B), 200);
    QCOMPARE(Drain(model).size(), std::size_t(2));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimFrameTest)
#include "sim_frame_test.moc"
