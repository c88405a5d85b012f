// Keystroke filters on plain line edits, driven by real key events.
#include "ui/widgets/key_filter_installer.h"

#include <QLineEdit>
#include <QtTest>

using kdx::KeyFilter;
using kdx::ui::KeyFilterInstaller;

Q_DECLARE_METATYPE(kdx::KeyFilter)

class KeyFilterInstallerTest : public QObject {
  Q_OBJECT

 private slots:
  // Typed characters: what each filter makes of a run of keys.
  void typing_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result");
    QTest::newRow("strict hex upper-cases") << KeyFilter::StrictHex << "0a9fBc"
                                            << "0A9FBC";
    QTest::newRow("strict hex drops others") << KeyFilter::StrictHex << "g-1 x.2Z"
                                             << "12";
    QTest::newRow("hex with Backspace upper-cases") << KeyFilter::HexWithBackspace << "de ad"
                                                    << "DEAD";
    QTest::newRow("decimal keeps digits") << KeyFilter::Decimal << "1a2F3 -4"
                                          << "1234";
    QTest::newRow("decimal with Backspace keeps digits")
        << KeyFilter::DecimalWithBackspace << "0x10"
        << "010";
  }
  void typing() {
    QFETCH(KeyFilter, filter);
    QFETCH(QString, keys);
    QFETCH(QString, result);
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, filter);
    QTest::keyClicks(&edit, keys);
    QCOMPARE(edit.text(), result);
  }

  // Backspace is a character to the filters; Delete is not and always works.
  void backspaceAndDelete_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("afterBackspace");
    QTest::newRow("strict hex") << KeyFilter::StrictHex << "1234";
    QTest::newRow("hex with Backspace") << KeyFilter::HexWithBackspace << "123";
    QTest::newRow("decimal") << KeyFilter::Decimal << "1234";
    QTest::newRow("decimal with Backspace") << KeyFilter::DecimalWithBackspace << "123";
  }
  void backspaceAndDelete() {
    QFETCH(KeyFilter, filter);
    QFETCH(QString, afterBackspace);
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, filter);
    QTest::keyClicks(&edit, QStringLiteral("1234"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), afterBackspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    // Delete as X11 reports it, carrying the DEL character.
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_Delete, QStringLiteral("\x7f"),
                        Qt::NoModifier);
    QCOMPARE(edit.text(), afterBackspace.mid(1));
    // Shortcuts pass: select all, then Delete empties the field.
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QString());
  }

  // The purse value: ten decimal digits at most, no Backspace.
  void decimalWithLengthLimit() {
    QLineEdit edit(QStringLiteral("0"));
    edit.setMaxLength(10);
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("98765432109"));
    QCOMPARE(edit.text(), QStringLiteral("9876543210"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("9876543210"));
  }

  // An upper-cased letter is typed like any key: the length limit holds.
  void upperCasedLetterRespectsLimit() {
    QLineEdit edit;
    edit.setMaxLength(2);
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QCOMPARE(edit.text(), QStringLiteral("AB"));
  }

  // Text the program writes is not a keystroke.
  void programmaticTextIsNotFiltered() {
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    edit.setText(QStringLiteral("xyz"));
    QCOMPARE(edit.text(), QStringLiteral("xyz"));
  }

  void installingAgainReplaces() {
    QLineEdit edit;
    QVERIFY(!KeyFilterInstaller::installedOn(&edit));
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    QCOMPARE(KeyFilterInstaller::installedOn(&edit), std::optional(KeyFilter::Decimal));
    QCOMPARE(edit.findChildren<KeyFilterInstaller*>().size(), 1);
    QTest::keyClicks(&edit, QStringLiteral("A1"));
    QCOMPARE(edit.text(), QStringLiteral("1"));
  }
};

QTEST_MAIN(KeyFilterInstallerTest)
#include "key_filter_installer_test.moc"
