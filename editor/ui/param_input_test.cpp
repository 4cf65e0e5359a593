// The character filters and number readers of text rows, as pure rules.
#include <QtTest>

#include "param_input.h"

class ParamInputTest : public QObject {
  Q_OBJECT
 private slots:
  void typing_data();
  void typing();
  void typedIntoSelection();
  void lengthLimit();
  void validNumber_data();
  void validNumber();
  void readers();
};

// Keys typed one by one from an empty box; '<' stands for backspace, '|' moves the
// caret to the start. The result is the text and how many keys were refused.
void ParamInputTest::typing_data() {
  QTest::addColumn<uint>("flags");
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("refused");

  const uint i = kInputInteger, r = kInputReal, h = kInputHex;
  QTest::newRow("int 0 then 5") << i << "05" << "5" << 0;
  QTest::newRow("int zeros never pile up") << i << "000" << "0" << 0;
  QTest::newRow("int zero after digit stays") << i << "100" << "100" << 0;
  QTest::newRow("int sign then zero then digit") << i << "-05" << "-5" << 0;
  QTest::newRow("int minus after digit") << i << "5-" << "5" << 1;
  QTest::newRow("int second sign") << i << "-|+" << "-" << 1;
  QTest::newRow("int sign at start later") << i << "5|-" << "-5" << 0;
  QTest::newRow("int letters and dot") << i << "1a.e2" << "12" << 3;
  QTest::newRow("int backspace") << i << "12<3" << "13" << 0;
  QTest::newRow("int backspace at start") << i << "<" << "" << 0;

  QTest::newRow("real dot first") << r << "." << "0." << 0;
  QTest::newRow("real dot after sign") << r << "-." << "-0." << 0;
  QTest::newRow("real dot after digit") << r << "5.25" << "5.25" << 0;
  QTest::newRow("real second dot") << r << "1.2." << "1.2" << 1;
  QTest::newRow("real zero after dot stays") << r << "0.05" << "0.05" << 0;
  QTest::newRow("real lone zero replaced") << r << "07" << "7" << 0;
  QTest::newRow("real minus after digit") << r << "3-" << "3" << 1;

  QTest::newRow("hex a into empty") << h << "a" << "0xA" << 0;
  QTest::newRow("hex digits and upper") << h << "1f" << "0x1F" << 0;
  QTest::newRow("hex g refused, prefix stays") << h << "g" << "0x" << 1;
  QTest::newRow("hex backspace into prefix") << h << "a<<" << "0x" << 1;
  QTest::newRow("hex digit inside prefix") << h << "a|5" << "0xA" << 1;
  QTest::newRow("hex sign refused") << h << "-" << "0x" << 1;

  QTest::newRow("text passes all") << 0u << "a-.5x" << "a-.5x" << 0;
}

void ParamInputTest::typing() {
  QFETCH(uint, flags);
  QFETCH(QString, keys);
  QFETCH(QString, text);
  QFETCH(int, refused);
  EditState st;
  int count = 0;
  for (QChar k : keys) {
    if (k == u'|') {
      st.selStart = st.selEnd = 0;
      continue;
    }
    if (!paraminput::applyTypedChar(flags, -1, st, k == u'<' ? QChar(u'\b') : k)) ++count;
  }
  QCOMPARE(st.text, text);
  QCOMPARE(count, refused);
}

void ParamInputTest::typedIntoSelection() {
  // A digit over a selected digit replaces it. A sign counts against the text that
  // stays: over the whole value it passes, before a kept sign it is refused. Hex:
  // the prefix is added before the key counts; with everything selected the
  // digits go and the prefix stays.
  const struct {
    int type;
    const char* text;
    int start, end;
    char16_t key;
    bool accepted;
    const char* after;
  } cases[] = {
      {kInputInteger, "-42", 1, 3, u'7', true, "-7"},   {kInputInteger, "-42", 0, 3, u'+', true, "+"},
      {kInputReal, "-42", 0, 1, u'-', true, "-42"},     {kInputReal, "2.5", 0, 3, u'.', true, "0."},
      {kInputReal, "2.5", 0, 1, u'.', false, "2.5"},    {kInputInteger, "-42", 0, 0, u'+', false, "-42"},
      {kInputHex, "5", 1, 1, u'b', true, "0x5B"},       {kInputHex, "0x20", 0, 4, u'a', true, "0xA"},
      {kInputHex, "0x20", 0, 4, u'\b', true, "0x"},
  };
  for (const auto& c : cases) {
    EditState st{QString::fromLatin1(c.text), c.start, c.end};
    QCOMPARE(paraminput::applyTypedChar(c.type, -1, st, c.key), c.accepted);
    QCOMPARE(st.text, QString::fromLatin1(c.after));
  }
  EditState hex{QStringLiteral("5"), 1, 1};
  paraminput::applyTypedChar(kInputHex, -1, hex, u'b');
  QCOMPARE(hex.selStart, 4);  // the caret moves past the added prefix
}

void ParamInputTest::lengthLimit() {
  // The limit counts the "0x" prefix; a paste is cut to what still fits.
  EditState st;
  for (QChar c : QStringLiteral("abc")) paraminput::applyTypedChar(kInputHex, 4, st, c);
  QCOMPARE(st.text, QStringLiteral("0xAB"));
  st = EditState{QStringLiteral("ab"), 2, 2};
  QVERIFY(paraminput::insertText(5, st, QStringLiteral("cdef")));
  QCOMPARE(st.text, QStringLiteral("abcde"));
  QVERIFY(!paraminput::insertText(5, st, QStringLiteral("x")));
}

void ParamInputTest::validNumber_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::newRow("integer") << "42" << true;
  QTest::newRow("signed") << "-17" << true;
  QTest::newRow("real") << "3.25" << true;
  QTest::newRow("exponent") << "1e3" << true;
  QTest::newRow("real suffix f") << "2.5f" << true;
  QTest::newRow("real suffix u") << "2.5u" << false;
  QTest::newRow("int suffix u") << "7u" << true;
  QTest::newRow("int suffix L") << "7L" << true;
  QTest::newRow("trailing junk") << "7x" << false;
  QTest::newRow("trailing blank") << "7 " << false;
  QTest::newRow("hex with prefix") << "0x5A" << true;
  QTest::newRow("prefix alone") << "0x" << false;
  QTest::newRow("no integer start") << ".5" << false;
  QTest::newRow("empty") << "" << false;
  QTest::newRow("sign alone") << "-" << false;
  QTest::newRow("word") << "NONE" << false;
  QTest::newRow("nan") << "nan" << false;
}

void ParamInputTest::validNumber() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QCOMPARE(paraminput::isValidNumber(text), valid);
}

void ParamInputTest::readers() {
  long l = 0;
  double d = 0;
  unsigned long u = 0;
  QVERIFY(paraminput::readInteger(kInputInteger, QStringLiteral("-120"), l));
  QCOMPARE(l, -120L);
  QVERIFY(!paraminput::readInteger(kInputReal, QStringLiteral("12"), l));  // wrong mode
  QVERIFY(!paraminput::readInteger(kInputInteger, QStringLiteral("12a"), l));
  QVERIFY(paraminput::readReal(kInputReal, QStringLiteral("2.75"), d));
  QCOMPARE(d, 2.75);
  QVERIFY(!paraminput::readReal(kInputInteger, QStringLiteral("2.75"), d));
  QVERIFY(paraminput::readHex(kInputHex, QStringLiteral("0x4C"), u));
  QCOMPARE(u, 0x4CUL);
  QVERIFY(!paraminput::readHex(kInputHex, QStringLiteral("NONE"), u));
  QVERIFY(!paraminput::readHex(kInputInteger, QStringLiteral("0x4C"), u));
}

QTEST_GUILESS_MAIN(ParamInputTest)
#include "param_input_test.moc"
