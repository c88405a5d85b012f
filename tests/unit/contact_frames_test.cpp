// The memory card buttons on a scripted line: the frame each one sends, and
// the input each one refuses with nothing sent.
#include <QtTest>

#include "contact_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

void SetFields(Sle4442Inputs& in, const QStringList& f) {
  in = {f[0].toStdString(), f[1].toStdString(), f[2].toStdString(), f[3].toStdString(),
        f[4].toStdString()};
}
void SetFields(Sle4428Inputs& in, const QStringList& f) {
  in = {f[0].toStdString(), f[1].toStdString(), f[2].toStdString(), f[3].toStdString(),
        f[4].toStdString()};
}
void SetFields(At24Inputs& in, const QStringList& f) {
  in = {f[0].toStdString(), f[1].toStdString(), f[2].toStdString()};
}

struct Pressed {
  CommandOutcome outcome;
  std::vector<Bytes> frames;
  std::vector<RecordingMessages::Box> boxes;
  std::string monitor;
  int clears;
};

// Presses `control` with the fields (the tab's initial texts when empty) and
// the grid cells given as "|"-separated texts; every command gets "9000".
template <class Harness>
Pressed PressWith(const QString& control, const QStringList& fields, const QString& cells) {
  Harness h;
  if (!fields.isEmpty()) SetFields(h.view.fields, fields);
  const QStringList texts = cells.split('|');
  for (int i = 0; i < texts.size(); ++i) h.view.grid.cells[std::size_t(i)] = texts[i].toStdString();
  AnswerEveryCommand(h, std::string("P\0\0000\x90\x00", 7));
  h.monitor.append("earlier\r\n");
  const auto outcome = h.press(control.toStdString());
  return {outcome, SentCommands(h), h.messages.boxes, h.monitor.text(), h.view.grid.clears};
}

Pressed Press(const QString& family, const QString& control, const QStringList& fields,
              const QString& cells) {
  if (family == "SLE4442") return PressWith<Sle4442Harness>(control, fields, cells);
  if (family == "SLE4428") return PressWith<Sle4428Harness>(control, fields, cells);
  return PressWith<At24Harness>(control, fields, cells);
}

template <class Row>
QStringList Controls(std::span<const Row> rows) {
  QStringList names;
  for (const auto& row : rows) names << QString::fromLatin1(row.control.data(), row.control.size());
  return names;
}

void AddColumns() {
  QTest::addColumn<QString>("family");
  QTest::addColumn<QString>("control");
  QTest::addColumn<QStringList>("fields");
  QTest::addColumn<QString>("cells");
}

const QStringList k4442{"20", "02", "12", "34", "56"};
const QStringList k4428{"01", "20", "02", "12", "34"};
const QStringList k24{"01", "20", "02"};

struct FrameRow {
  const char* name;
  const char* family;
  const char* control;  // nullptr: the row's name
  QStringList fields;
  const char* frame;
};

std::vector<FrameRow> FrameRows() {
  return {
      {"SiemensICUp1", "SLE4442", nullptr, k4442, "F2 00 00 03 43 53 30 03 D2"},
      {"SiemensICStatus1", "SLE4442", nullptr, k4442, "F2 00 00 03 43 53 32 03 D0"},
      {"SiemensICDown1", "SLE4442", nullptr, k4442, "F2 00 00 03 43 53 31 03 D3"},
      {"SL4442Pass", "SLE4442", nullptr, k4442,
       "F2 00 00 0B 43 53 33 00 20 03 01 03 12 34 56 03 88"},
      {"SL4442Pass default PSC",
       "SLE4442",
       "SL4442Pass",
       {},
       "F2 00 00 0B 43 53 33 00 20 03 01 03 FF FF FF 03 07"},
      {"SL4442Change", "SLE4442", nullptr, k4442,
       "F2 00 00 0B 43 53 33 00 D0 02 01 03 12 34 56 03 79"},
      {"SL4442ReadAnquan", "SLE4442", nullptr, k4442, "F2 00 00 08 43 53 33 00 B0 02 00 04 03 6C"},
      {"SL4442ReadCenChu",
       "SLE4442",
       nullptr,
       {"20", "10", "", "", ""},
       "F2 00 00 08 43 53 33 00 B0 00 20 10 03 5A"},
      {"SL4442ReadBaoHu",
       "SLE4442",
       nullptr,
       {"20", "10", "", "", ""},
       "F2 00 00 08 43 53 33 00 B0 01 20 10 03 5B"},
      {"SL4442WriteCenChu", "SLE4442", nullptr, k4442,
       "F2 00 00 0A 43 53 33 00 D0 00 20 02 AB CD 03 4C"},
      {"SL4442WriteBaoHu", "SLE4442", nullptr, k4442,
       "F2 00 00 0A 43 53 33 00 D0 01 20 02 AB CD 03 4D"},
      {"SL4442WriteCenChu length 00",
       "SLE4442",
       "SL4442WriteCenChu",
       {"20", "00", "", "", ""},
       "F2 00 00 08 43 53 33 00 D0 00 20 00 03 2A"},
      {"SiemensICUp2", "SLE4428", nullptr, k4428, "F2 00 00 03 43 53 30 03 D2"},
      {"SiemensICStatus2", "SLE4428", nullptr, k4428, "F2 00 00 03 43 53 32 03 D0"},
      {"SiemensICDown2", "SLE4428", nullptr, k4428, "F2 00 00 03 43 53 31 03 D3"},
      {"SL4428PASS", "SLE4428", nullptr, k4428, "F2 00 00 0A 43 53 34 00 20 00 00 02 12 34 03 DB"},
      {"SL4428CHANGE", "SLE4428", nullptr, k4428,
       "F2 00 00 0A 43 53 34 00 24 01 00 02 12 34 03 DE"},
      {"SL4428READAREA", "SLE4428", nullptr, k4428, "F2 00 00 08 43 53 34 00 B0 01 20 02 03 4E"},
      {"SL4428READBIT ignores the high address",
       "SLE4428",
       "SL4428READBIT",
       {"03", "20", "02", "", ""},
       "F2 00 00 08 43 53 34 00 B0 10 20 02 03 5F"},
      {"SL4428WRITEAREA1", "SLE4428", nullptr, k4428,
       "F2 00 00 0A 43 53 34 00 D0 01 20 02 AB CD 03 4A"},
      {"SL4428WRITEAREA2", "SLE4428", nullptr, k4428,
       "F2 00 00 0A 43 53 34 00 D0 21 20 02 AB CD 03 6A"},
      {"IC24Reset", "24CXX", nullptr, k24, "F2 00 00 04 43 54 30 30 03 E2"},
      {"IC24ICStatus", "24CXX", nullptr, k24, "F2 00 00 03 43 54 32 03 D7"},
      {"IC24ICDown", "24CXX", nullptr, k24, "F2 00 00 03 43 53 31 03 D3"},
      {"IC24XXREAD", "24CXX", nullptr, k24, "F2 00 00 08 43 54 33 00 B0 01 20 02 03 4E"},
      {"IC24XXREAD 0000 80",
       "24CXX",
       "IC24XXREAD",
       {},
       "F2 00 00 08 43 54 33 00 B0 00 00 80 03 ED"},
      {"IC24XXWRITE", "24CXX", nullptr, k24, "F2 00 00 0A 43 54 33 00 D0 01 20 02 AB CD 03 4A"},
  };
}

}  // namespace

class ContactFramesTest : public QObject {
  Q_OBJECT
 private slots:
  void framesOfEveryButton_data() {
    AddColumns();
    QTest::addColumn<QString>("frame");
    for (const FrameRow& r : FrameRows()) {
      QTest::newRow(r.name) << r.family << (r.control ? r.control : r.name) << r.fields << "AB|CD"
                            << r.frame;
    }
  }
  void framesOfEveryButton() {
    QFETCH(QString, family);
    QFETCH(QString, control);
    QFETCH(QStringList, fields);
    QFETCH(QString, cells);
    QFETCH(QString, frame);
    const Pressed p = Press(family, control, fields, cells);
    QCOMPARE(p.outcome, CommandOutcome::Positive);
    QCOMPARE(p.frames, std::vector<Bytes>{Hex(frame.toStdString())});
    QVERIFY(p.monitor.ends_with("SD: 06\r\n\r\n"));
  }

  // The frame table names every button of the three tabs.
  void everyButtonHasAFrame() {
    QStringList tested;
    for (const FrameRow& r : FrameRows()) tested << (r.control ? r.control : r.name);
    tested.removeDuplicates();
    QStringList rows =
        Controls(Sle4442Operations()) + Controls(Sle4428Operations()) + Controls(At24Operations());
    tested.sort();
    rows.sort();
    QCOMPARE(tested, rows);
  }

  void refusalsSendNothing_data() {
    AddColumns();
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("clears");
    const QString full = QStringList(128, "11").join('|');
    const char* check = "Error:Please Check The Data Effective";
    const char* range = "Address out of range";
    const auto row = [](const char* name, const char* family, const char* control,
                        QStringList fields, QString cells, const char* text, int clears = 0) {
      QTest::newRow(name) << family << control << fields << cells << text << clears;
    };
    row("4442 write length 81", "SLE4442", "SL4442WriteCenChu", {"00", "81", "FF", "FF", "FF"},
        full, check);
    row("4442 write one-digit cell", "SLE4442", "SL4442WriteBaoHu", {"00", "02", "FF", "FF", "FF"},
        "1|23", check);
    row("4442 write empty cell", "SLE4442", "SL4442WriteCenChu", {"00", "02", "FF", "FF", "FF"},
        "12||34", check);
    row("4442 write non-hex cell", "SLE4442", "SL4442WriteCenChu", {"00", "01", "FF", "FF", "FF"},
        "G1", check);
    row("4442 write empty address", "SLE4442", "SL4442WriteCenChu", {"", "01", "FF", "FF", "FF"},
        "12", check);
    row("4442 verify empty PSC byte", "SLE4442", "SL4442Pass", {"00", "80", "FF", "", "FF"}, "",
        check);
    row("4442 change non-hex PSC", "SLE4442", "SL4442Change", {"00", "80", "FF", "FF", "X1"}, "",
        check);
    row("4442 read empty length", "SLE4442", "SL4442ReadCenChu", {"00", "", "FF", "FF", "FF"}, "12",
        check, 1);
    row("4442 read three-digit address", "SLE4442", "SL4442ReadBaoHu",
        {"100", "01", "FF", "FF", "FF"}, "12", check, 1);
    row("4428 write high address 04", "SLE4428", "SL4428WRITEAREA1", {"04", "00", "01", "FF", "FF"},
        "12", range);
    row("4428 write high address 13", "SLE4428", "SL4428WRITEAREA2", {"13", "00", "01", "FF", "FF"},
        "12", range);
    row("4428 high address before length", "SLE4428", "SL4428WRITEAREA2",
        {"04", "00", "81", "FF", "FF"}, full, range);
    row("4428 write empty high address", "SLE4428", "SL4428WRITEAREA1",
        {"", "00", "01", "FF", "FF"}, "12", check);
    row("4428 write length 81", "SLE4428", "SL4428WRITEAREA1", {"00", "00", "81", "FF", "FF"}, full,
        check);
    row("4428 write one-digit cell", "SLE4428", "SL4428WRITEAREA1", {"00", "00", "02", "FF", "FF"},
        "1|23", check);
    row("4428 check empty password", "SLE4428", "SL4428PASS", {"00", "00", "80", "", "FF"}, "",
        check);
    row("4428 read empty low address", "SLE4428", "SL4428READBIT", {"00", "", "80", "FF", "FF"},
        "12", check, 1);
    row("24C write one-digit cell", "24CXX", "IC24XXWRITE", {"00", "00", "02"}, "1|23", check);
    row("24C write length 81", "24CXX", "IC24XXWRITE", {"00", "00", "81"}, full, check);
    row("24C write empty low address", "24CXX", "IC24XXWRITE", {"00", "", "01"}, "12", check);
    row("24C read non-hex high address", "24CXX", "IC24XXREAD", {"0Z", "00", "01"}, "12", check, 1);
  }
  void refusalsSendNothing() {
    QFETCH(QString, family);
    QFETCH(QString, control);
    QFETCH(QStringList, fields);
    QFETCH(QString, cells);
    QFETCH(QString, text);
    QFETCH(int, clears);
    const Pressed p = Press(family, control, fields, cells);
    QCOMPARE(p.outcome, CommandOutcome::NotSent);
    QVERIFY(p.frames.empty());
    QCOMPARE(p.boxes.size(), std::size_t{1});
    QCOMPARE(p.boxes[0].title, std::string("Caution"));
    QCOMPARE(p.boxes[0].text, text.toStdString());
    QCOMPARE(p.boxes[0].icon, Icon::Exclamation);
    QCOMPARE(p.monitor, std::string("\r\n"));  // cleared, then the operation's CR LF
    QCOMPARE(p.clears, clears);                // reads empty the grid before reading fields
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ContactFramesTest)
#include "contact_frames_test.moc"
