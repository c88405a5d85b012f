// The simulated device at the byte level: how it reads the host's frames and
// when it answers, straight on the model with no line in between.
#include <QtTest>

#include "link/frame.h"
#include "model/device_model.h"

using kdx::Bytes;
using kdx::sim::DeviceModel;
using kdx::sim::Fault;

namespace {

// Everything the model sends up to `ms`, with the time each piece was due.
struct Timed {
  std::int64_t atMs;
  Bytes bytes;
};

std::vector<Timed> Drain(DeviceModel& model, std::int64_t upToMs = 1'000'000) {
  std::vector<Timed> out;
  while (const auto at = model.nextOutputAt()) {
    if (*at > upToMs) break;
    out.push_back({*at, model.takeOutput(*at)});
  }
  return out;
}

Bytes StatusCommand(std::uint8_t address = 0) {
  return kdx::BuildCommand(address, '1', '0');
}

std::uint8_t Xor(const Bytes& bytes, std::size_t count) {
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < count; ++i) x ^= bytes[i];
  return x;
}

}  // namespace

class SimFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void goodFrameGetsAckThenReply() {
    DeviceModel model;
    model.receive(StatusCommand(), 1000);
    const auto out = Drain(model);
    QCOMPARE(out.size(), std::size_t(2));
    QCOMPARE(out[0].atMs, std::int64_t(1005));
    QCOMPARE(out[0].bytes, Bytes{0x06});
    QCOMPARE(out[1].atMs, std::int64_t(1010));
    // F2, address, length 0006, "P10", status "002" (nothing in the channel,
    // enough cards, bin not full), ETX, check byte over all before it.
    const Bytes& r = out[1].bytes;
    QCOMPARE(Bytes(r.begin(), r.end() - 1),
             (Bytes{0xF2, 0x00, 0x00, 0x06, 'P', '1', '0', '0', '2', '0', 0x03}));
    QCOMPARE(r.back(), Xor(r, r.size() - 1));
    QVERIFY(model.awaitingHostAck());
    model.receive(Bytes{0x06}, 1020);
    QVERIFY(!model.awaitingHostAck());
    QCOMPARE(model.exchangesCompleted(), 1);
  }

  void latencyIsConfigurable() {
    DeviceModel model;
    model.setLatencyMs(40);
    model.receive(StatusCommand(), 0);
    const auto out = Drain(model);
    QCOMPARE(out.size(), std::size_t(2));
    QCOMPARE(out[0].atMs, std::int64_t(40));
    QCOMPARE(out[1].atMs, std::int64_t(80));
  }

  void brokenFramesGetNak_data() {
    QTest::addColumn<Bytes>("frame");
    Bytes badBcc = StatusCommand();
    badBcc.back() ^= 0x01;
    Bytes noMarker = kdx::BuildCommand(0, '1', '0');
    noMarker[4] = 'X';
    noMarker.back() = kdx::ComputeBcc(noMarker);
    Bytes noEtx = kdx::BuildCommand(0, '1', '0');
    noEtx[7] = 0x02;
    noEtx.back() = kdx::ComputeBcc(noEtx);
    Bytes shortText{0xF2, 0x00, 0x00, 0x02, 'C', '1', 0x03, 0};
    shortText.back() = kdx::ComputeBcc(shortText);
    QTest::newRow("wrong check byte") << badBcc;
    QTest::newRow("marker not C") << noMarker;
    QTest::newRow("ETX missing") << noEtx;
    QTest::newRow("text shorter than 3") << shortText;
    QTest::newRow("length beyond any command") << Bytes{0xF2, 0x00, 0xFF, 0xFF};
  }
  void brokenFramesGetNak() {
    QFETCH(Bytes, frame);
    DeviceModel model;
    model.receive(frame, 0);
    const auto out = Drain(model);
    QCOMPARE(out.size(), std::size_t(1));
    QCOMPARE(out[0].bytes, Bytes{0x15});
    QCOMPARE(model.commandsRun(), 0);
  }

  void otherAddressGetsNothing() {
    DeviceModel model;
    model.setAddress(0x0B);
    Bytes broken = StatusCommand(0x03);
    broken.back() ^= 0xFF;
    model.receive(StatusCommand(0x03), 0);
    model.receive(broken, 100);
    QVERIFY(!model.nextOutputAt());
    model.receive(StatusCommand(0x0B), 200);
    QCOMPARE(Drain(model).size(), std::size_t(2));
  }

  void frameInPiecesAndNoiseBetweenFrames() {
    DeviceModel model;
    const Bytes frame = kdx::BuildCommand(0, 0xA5, '1', Bytes{'0', '4', '2'});
    model.receive(Bytes{0x00, 0x31, 0xFF}, 0);  // noise before the frame
    for (std::size_t i = 0; i < frame.size(); ++i) {
      model.receive(Bytes{frame[i]}, static_cast<std::int64_t>(i));
      QCOMPARE(model.nextOutputAt().has_value(), i + 1 == frame.size());
    }
    QCOMPARE(model.state().captureCounter, 42);
  }

  void frameStoppingShortIsDroppedAfterSilence() {
    DeviceModel model;
    const Bytes frame = StatusCommand();
    model.receive(Bytes(frame.begin(), frame.begin() + 5), 0);
    // Within the gap the rest still completes the frame...
    model.receive(Bytes(frame.begin() + 5, frame.end()), 150);
    QCOMPARE(Drain(model).size(), std::size_t(2));
    // ...after a longer silence the stub is forgotten and a whole frame is read.
    model.receive(Bytes(frame.begin(), frame.begin() + 5), 1000);
    model.receive(frame, 1500);
    const auto out = Drain(model);
    QCOMPARE(out.size(), std::size_t(2));
    QCOMPARE(out[0].bytes, Bytes{0x06});
  }

  void eotAbandonsTheExchange() {
    DeviceModel model;
    model.setFault(Fault::LateHead);
    model.receive(StatusCommand(), 0);
    QCOMPARE(model.takeOutput(6000), Bytes{0x06});
    model.receive(Bytes{0x04}, 6005);
    QVERIFY(!model.nextOutputAt());
    QCOMPARE(model.exchangesAbandoned(), 1);
    QVERIFY(!model.awaitingHostAck());
  }

  void newFrameReplacesAnUnsentReply() {
    DeviceModel model;
    model.setFault(Fault::LateHead);
    model.receive(kdx::BuildCommand(0, '3', '0'), 0);
    model.takeOutput(10);
    model.setFault(Fault::Off);
    model.receive(StatusCommand(), 100);
    const auto out = Drain(model);
    QCOMPARE(out.size(), std::size_t(2));
    QCOMPARE(out[1].bytes[5], std::uint8_t('1'));  // the reply answers the status command
    QVERIFY(model.state().entryAllowed);           // the first command still ran
  }

  void replyFaultsShapeTheFrame() {
    DeviceModel model;
    model.setFault(Fault::Truncated);
    model.receive(StatusCommand(), 0);
    auto out = Drain(model);
    QCOMPARE(out[1].bytes.size(), std::size_t(12 - 3));
    QCOMPARE(out[1].bytes[3], std::uint8_t(6));  // the length still promises the whole text

    model.setFault(Fault::BadBcc);
    model.receive(StatusCommand(), 100);
    out = Drain(model);
    QVERIFY(out[1].bytes.back() != Xor(out[1].bytes, out[1].bytes.size() - 1));

    model.setFault(Fault::Oversize);
    model.receive(StatusCommand(), 200);
    out = Drain(model);
    const Bytes& big = out[1].bytes;
    QCOMPARE(big[2] * 256 + big[3], 1100);
    QCOMPARE(big.size(), std::size_t(1106));
    QCOMPARE(big.back(), Xor(big, big.size() - 1));

    model.setFault(Fault::NoAck);
    model.receive(StatusCommand(), 300);
    out = Drain(model);
    QCOMPARE(out.size(), std::size_t(1));
    QCOMPARE(out[0].atMs, std::int64_t(3800));
    QCOMPARE(out[0].bytes[0], std::uint8_t(0xF2));
  }

  void garbageIsRepeatableBySeed() {
    auto garbageFor = [](std::uint32_t seed) {
      DeviceModel model;
      model.setGarbageSeed(seed);
      model.setFault(Fault::Garbage);
      model.receive(StatusCommand(), 0);
      const auto out = Drain(model);
      return out.at(1).bytes;
    };
    QCOMPARE(garbageFor(7), garbageFor(7));
    QVERIFY(garbageFor(7) != garbageFor(8));
    QCOMPARE(garbageFor(7).size(), kdx::sim::kGarbageLength);
  }
};

QTEST_GUILESS_MAIN(SimFrameTest)
#include "sim_frame_test.moc"
