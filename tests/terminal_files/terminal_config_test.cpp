// The terminal configuration record: its bytes, the configuration window over it, and the command that fetches
// it from the terminal.
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "TransferWorld.h"
#include "core/AppSettings.h"
#include "core/MBLanguages.h"
#include "platform/FtpClient.h"
#include "terminal_files/TerminalConfigRecord.h"
#include "terminal_files/ui/TerminalConfigCommand.h"
#include "terminal_files/ui/frmOutilsJVZ.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace jvz;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

// A record as a terminal writes it, member by member (offsets of the file layout).
QByteArray fixtureRecord()
{
    QByteArray r;
    r += QByteArray::fromHex("12345678"); // 0 ProductId
    r += QByteArray::fromHex("0001E240"); // 4 SerialNumber
    r += "M40";                           // 8 ProductCode
    r += "MAKER-01";                      // 11 ConstructorCode
    r += QByteArray::fromHex("00001800"); // 19 RamSize: 1572864, one and a half megabytes
    r += QByteArray::fromHex("00000001"); // 23 FlashSize: 16 megabytes
    r += QByteArray::fromHex("4B02");     // 27 GeneralOptions
    r += QByteArray::fromHex("0730");     // 29 ReaderOptions
    r += QByteArray::fromHex("A5");       // 31 ModemOptions
    r += QByteArray::fromHex("2100");     // 32 CountryCode 33
    r += QByteArray::fromHex("12");       // 34 DisplayOptions
    r += "0102";                          // 35 InterfaceVersion
    r += QByteArray::fromHex("23");       // 39 ExtensionOptions
    r += QByteArray::fromHex("81");       // 40 NewsTypeOptions
    r += "REF-0001 A  ";                  // 41 ProductReference
    r += "G310";                          // 53 GlimmoxVersion
    r += "V207";                          // 57 VorbaneVersion
    r += "20261210";                      // 61 ManufacturingDate
    r += "PH01";                          // 69 PersoHardware
    r += "PS02";                          // 73 PersoSoftware
    r += QByteArray::fromHex("000102030405060708090A0B0C0D0E0F10111213"); // 77 TidZone
    return r;
}

MBLanguages shippedTexts(int16_t language = 1)
{
    MBLanguages table;
    table.init(jvztest::binDir() + "/JVZ.lng", language);
    return table;
}

QByteArray withBytes(QByteArray record, int offset, const QByteArray& bytes)
{
    record.replace(offset, bytes.size(), bytes);
    return record;
}

} // namespace

TEST(TerminalConfigRecord, TableCoversEveryByteOnce)
{
    int next = 0;
    for (const ConfigMember& m : terminalConfigMembers()) {
        EXPECT_EQ(m.offset, next) << m.name;
        next = m.offset + m.width;
        if (m.encoding == ConfigEncoding::Bits16 || m.encoding == ConfigEncoding::Bits8) {
            EXPECT_EQ(int(m.bits.size()), m.width * 8) << m.name;
        }
    }
    EXPECT_EQ(next, kTerminalConfigSize);
    EXPECT_EQ(terminalConfigMembers().size(), 21u); // 20 members, the two sizes listed apart
}

TEST(TerminalConfigRecord, UnchangedFormGivesTheSameBytes)
{
    const QByteArray record = fixtureRecord();
    ASSERT_EQ(record.size(), kTerminalConfigSize);
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::French, QLocale::France)}) {
        const ConfigEncodeResult r = encodeTerminalConfig(decodeTerminalConfig(record, locale), locale, record);
        EXPECT_EQ(r.problem, ConfigEncodeProblem::None);
        EXPECT_EQ(r.record.toHex(), record.toHex()) << locale.name().toStdString();
    }
}

TEST(TerminalConfigRecord, DecodedTexts)
{
    struct Case {
        const char* what;
        QByteArray record;
        QLocale locale;
        int box;
        QString shown;
    };
    const QByteArray base = fixtureRecord();
    const Case cases[] = {
        {"hex in file order", base, QLocale::c(), 0, "12345678"},
        {"text with its blanks", base, QLocale::c(), 15, "REF-0001 A  "},
        {"whole megabytes", withBytes(base, 19, QByteArray::fromHex("00002000")), QLocale::c(), 5, "2"},
        {"half a megabyte", base, QLocale::c(), 5, "1.5"},
        {"user's decimal separator", base, QLocale(QLocale::French, QLocale::France), 5, "1,5"},
        {"negative size", withBytes(base, 23, QByteArray::fromHex("0000F0FF")), QLocale::c(), 6, "-1"},
        {"country code", base, QLocale::c(), 13, "33"},
        {"country code above 32767", withBytes(base, 32, QByteArray::fromHex("FFFF")), QLocale::c(), 13, "65535"},
        {"one TID byte per box", base, QLocale::c(), 34, "13"},
        {"first TID box", base, QLocale::c(), 14, "00"},
    };
    for (const Case& c : cases) {
        const TerminalConfigForm form = decodeTerminalConfig(c.record, c.locale);
        EXPECT_EQ(form.text[size_t(c.box)], c.shown) << c.what;
    }
}

TEST(TerminalConfigRecord, OptionBitsTickTheirBoxes)
{
    struct Case {
        QByteArray generalBytes;
        std::vector<int> ticked;
    };
    const Case cases[] = {
        {QByteArray::fromHex("0100"), {0}},  // portable
        {QByteArray::fromHex("0001"), {56}}, // USB H
        {QByteArray::fromHex("0080"), {14}}, // IRDA COM0: bit 15
        {QByteArray::fromHex("0000"), {}},
    };
    for (const Case& c : cases) {
        const TerminalConfigForm form = decodeTerminalConfig(withBytes(fixtureRecord(), 27, c.generalBytes));
        const auto bits = terminalConfigMember("GeneralOptions").bits;
        for (const ConfigBit& bit : bits) {
            const bool expected = std::find(c.ticked.begin(), c.ticked.end(), bit.check) != c.ticked.end();
            EXPECT_EQ(form.check[size_t(bit.check)], expected)
                << c.generalBytes.toHex().constData() << " box " << bit.check;
        }
    }
    // The news-type boxes run in reverse: bit 0 is box 63, bit 7 box 47.
    const TerminalConfigForm news = decodeTerminalConfig(withBytes(fixtureRecord(), 40, QByteArray::fromHex("81")));
    EXPECT_TRUE(news.check[63]);
    EXPECT_TRUE(news.check[47]);
    EXPECT_FALSE(news.check[62]);
}

TEST(TerminalConfigRecord, EachEditChangesExactlyItsBytes)
{
    using Edit = std::function<void(TerminalConfigForm&)>;
    struct Case {
        const char* what;
        Edit edit;
        std::map<int, QByteArray> changed; // offset -> new bytes
    };
    auto text = [](int box, const char* value) {
        return Edit([=](TerminalConfigForm& f) { f.text[size_t(box)] = QString::fromUtf8(value); });
    };
    auto onlyTicked = [](const char* member, std::vector<int> boxes) {
        return Edit([=](TerminalConfigForm& f) {
            for (const ConfigBit& b : terminalConfigMember(member).bits)
                f.check[size_t(b.check)] = std::find(boxes.begin(), boxes.end(), b.check) != boxes.end();
        });
    };
    QByteArray shifted = fixtureRecord().mid(78, 19) + ' ';
    const Case cases[] = {
        {"hex padded with blanks", text(0, "1234"), {{0, QByteArray::fromHex("12342020")}}},
        {"hex in either case", text(1, "abcdef01"), {{4, QByteArray::fromHex("ABCDEF01")}}},
        {"short text padded", text(2, "AB"), {{8, "AB "}}},
        {"long text cut", text(3, "ABCDEFGHIJK"), {{11, "ABCDEFGH"}}},
        {"whole megabytes", text(5, "2"), {{19, QByteArray::fromHex("00002000")}}},
        {"a half goes to the even 2", text(6, "1.5"), {{23, QByteArray::fromHex("00002000")}}},
        {"retyped size is encoded", text(5, "1.50"), {{19, QByteArray::fromHex("00002000")}}},
        {"2.5 goes to the even 2", text(5, "2.5"), {{19, QByteArray::fromHex("00002000")}}},
        {"3.5 goes to the even 4", text(6, "3.5"), {{23, QByteArray::fromHex("00004000")}}},
        {"largest size", text(6, "2047"), {{23, QByteArray::fromHex("0000F07F")}}},
        {"negative size", text(6, "-2048"), {{23, QByteArray::fromHex("00000080")}}},
        {"country code", text(13, "256"), {{32, QByteArray::fromHex("0001")}}},
        {"country code rounded", text(13, "32766.5"), {{32, QByteArray::fromHex("FE7F")}}},
        {"IRDA COM0 alone", onlyTicked("GeneralOptions", {14}), {{27, QByteArray::fromHex("0080")}}},
        {"USB H alone", onlyTicked("GeneralOptions", {56}), {{27, QByteArray::fromHex("0001")}}},
        {"every modem bit",
         onlyTicked("ModemOptions", {31, 32, 33, 34, 35, 36, 37, 38}),
         {{31, QByteArray::fromHex("FF")}}},
        {"news bit 7 is box 47", onlyTicked("NewsTypeOptions", {47}), {{40, QByteArray::fromHex("80")}}},
        {"one TID byte", text(19, "ab"), {{81, QByteArray::fromHex("AB")}}},
        {"empty TID box shifts the zone", text(14, ""), {{77, shifted}}},
        {"text member in the code page",
         text(4, "déc 2026"),
         {{61, QByteArray("d\xE9"
                          "c 2026")}}},
    };
    const QByteArray record = fixtureRecord();
    for (const Case& c : cases) {
        TerminalConfigForm form = decodeTerminalConfig(record);
        c.edit(form);
        QByteArray expected = record;
        for (const auto& [offset, bytes] : c.changed)
            expected.replace(offset, bytes.size(), bytes);
        const ConfigEncodeResult r = encodeTerminalConfig(form, QLocale::c(), record);
        EXPECT_EQ(r.problem, ConfigEncodeProblem::None) << c.what;
        EXPECT_EQ(r.record.toHex(' '), expected.toHex(' ')) << c.what;
    }
}

TEST(TerminalConfigRecord, NumbersNotEditedKeepTheirStoredBytes)
{
    // Bytes the boxes cannot take back: sizes that are no whole megabyte, a country code above 32767.
    QByteArray record = fixtureRecord();
    record = withBytes(record, 19, QByteArray::fromHex("01000000")); // one byte of RAM
    record = withBytes(record, 23, QByteArray::fromHex("FFFFFF7F")); // just under 2048 megabytes
    record = withBytes(record, 32, QByteArray::fromHex("4C9C"));     // 40012
    const TerminalConfigForm form = decodeTerminalConfig(record);
    EXPECT_EQ(encodeTerminalConfig(form, QLocale::c(), record).record.toHex(), record.toHex());

    // Without the record read, or once edited, the box is what counts.
    EXPECT_EQ(encodeTerminalConfig(form, QLocale::c()).problem, ConfigEncodeProblem::SizeOutOfRange);
    TerminalConfigForm edited = form;
    edited.text[5] = "1";
    edited.text[6] = "16";
    edited.text[13] = "40013";
    const ConfigEncodeResult r = encodeTerminalConfig(edited, QLocale::c(), record);
    EXPECT_EQ(r.problem, ConfigEncodeProblem::NumberOutOfRange);
    EXPECT_EQ(r.box, 13);
}

TEST(TerminalConfigRecord, BadBoxesAreRefusedNamingTheBox)
{
    struct Case {
        int box;
        const char* text;
        ConfigEncodeProblem problem;
        int tid;
    };
    const Case cases[] = {
        {0, "12345", ConfigEncodeProblem::NotHex, 0},          // half a byte
        {1, "12G4", ConfigEncodeProblem::NotHex, 0},           // not a digit
        {5, "", ConfigEncodeProblem::NotNumber, 0},            // empty
        {5, "lots", ConfigEncodeProblem::NotNumber, 0},        // no number
        {6, "12abc", ConfigEncodeProblem::NotNumber, 0},       // not only a number
        {5, "2048", ConfigEncodeProblem::SizeOutOfRange, 0},   // overflows 32 bits
        {6, "2047.5", ConfigEncodeProblem::SizeOutOfRange, 0}, // rounds to 2048
        {6, "-2049", ConfigEncodeProblem::SizeOutOfRange, 0},
        {13, "32768", ConfigEncodeProblem::NumberOutOfRange, 0},
        {13, "-1", ConfigEncodeProblem::NumberOutOfRange, 0},
        {17, "123", ConfigEncodeProblem::BadTidByte, 3},
        {34, "ABCD", ConfigEncodeProblem::BadTidByte, 20},
        {14, "G1", ConfigEncodeProblem::BadTidByte, 1},
        {16, "A", ConfigEncodeProblem::BadTidByte, 2},
    };
    for (const Case& c : cases) {
        TerminalConfigForm form = decodeTerminalConfig(fixtureRecord());
        form.text[size_t(c.box)] = QString::fromLatin1(c.text);
        const ConfigEncodeResult r = encodeTerminalConfig(form, QLocale::c(), fixtureRecord());
        EXPECT_EQ(r.problem, c.problem) << c.box << " " << c.text;
        EXPECT_EQ(r.box, c.box) << c.text;
        EXPECT_EQ(r.tidZoneIndex, c.tid) << c.text;
        EXPECT_TRUE(r.record.isEmpty());
    }
}

TEST(TerminalConfigFile, ReadsTheFirstRecordOfAFile)
{
    const QString dir = scratchFolder("cnf-read");
    struct Case {
        const char* name;
        QByteArray content;
        ConfigReadStatus status;
    };
    const Case cases[] = {
        {"exact.cnf", fixtureRecord(), ConfigReadStatus::Ok},
        {"longer.cnf", fixtureRecord() + "TRAILING", ConfigReadStatus::Ok},
        {"short.cnf", fixtureRecord().left(96), ConfigReadStatus::TooShort},
        {"empty.cnf", QByteArray(), ConfigReadStatus::TooShort},
    };
    for (const Case& c : cases) {
        writeFile(dir + c.name, c.content);
        const ConfigReadResult r = readTerminalConfigFile(dir + c.name);
        EXPECT_EQ(r.status, c.status) << c.name;
        if (c.status == ConfigReadStatus::Ok) {
            EXPECT_EQ(r.record, fixtureRecord()) << c.name;
        } else {
            EXPECT_TRUE(r.record.isEmpty()) << c.name;
        }
    }
    EXPECT_EQ(readTerminalConfigFile(dir + "missing.cnf").status, ConfigReadStatus::CannotOpen);
    EXPECT_EQ(readTerminalConfigFile(dir).status, ConfigReadStatus::CannotOpen);
}

TEST(TerminalConfigFile, SaveKeepsTheTailAndNeverLeavesAHalfFile)
{
    const QString dir = scratchFolder("cnf-save");
    const QByteArray record = fixtureRecord();
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);

    const QByteArray oldLong = QByteArray(97, 'x') + "TAIL-KEPT";
    writeFile(dir + "long.cnf", oldLong);
    EXPECT_EQ(saveTerminalConfigFile(dir + "long.cnf", record, writer).status, ConfigSaveStatus::Ok);
    EXPECT_EQ(readFile(dir + "long.cnf"), record + "TAIL-KEPT");

    writeFile(dir + "short.cnf", "abc");
    EXPECT_EQ(saveTerminalConfigFile(dir + "short.cnf", record, writer).status, ConfigSaveStatus::Ok);
    EXPECT_EQ(readFile(dir + "short.cnf"), record);

    EXPECT_EQ(saveTerminalConfigFile(dir + "new.cnf", record, writer).status, ConfigSaveStatus::Ok);
    EXPECT_EQ(readFile(dir + "new.cnf"), record);

    // A read-only file is refused before anything is written.
    writeFile(dir + "ro.cnf", oldLong);
    QFile::setPermissions(dir + "ro.cnf", QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const int begins = writer.beginCalls();
    EXPECT_EQ(saveTerminalConfigFile(dir + "ro.cnf", record, writer).status, ConfigSaveStatus::ReadOnly);
    EXPECT_EQ(writer.beginCalls(), begins);
    EXPECT_EQ(readFile(dir + "ro.cnf"), oldLong);

    // A write that fails half-way or at its rename leaves the old file whole.
    for (auto at : {jvztest::FailingFileWriter::FailAt::Write, jvztest::FailingFileWriter::FailAt::Commit}) {
        writer.setFailure(at, 10);
        const ConfigSaveResult r = saveTerminalConfigFile(dir + "long.cnf", QByteArray(97, 'y'), writer);
        EXPECT_EQ(r.status, ConfigSaveStatus::WriteFailed);
        EXPECT_EQ(readFile(dir + "long.cnf"), record + "TAIL-KEPT");
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 4); // no temporary left behind
}

namespace {

// The window with the shipped texts, a recording notifier and a save-as dialog that answers from the test.
struct ConfigWindow {
    explicit ConfigWindow(bool expert, int16_t language = 1) : lang(shippedTexts(language))
    {
        settings.gAuthUser = expert;
        window = std::make_unique<frmOutilsJVZ>(settings, notifier, writer);
        window->setSaveAsChooser([this](QWidget*, const SaveAsRequest& r) {
            requests.push_back(r);
            return answer;
        });
    }

    QLineEdit* box(int i)
    {
        for (QLineEdit* e : window->findChildren<QLineEdit*>("Text1")) {
            if (e->property("index").toInt() == i)
                return e;
        }
        return nullptr;
    }
    QCheckBox* check(int i)
    {
        for (QCheckBox* c : window->findChildren<QCheckBox*>("Check1")) {
            if (c->property("index").toInt() == i)
                return c;
        }
        return nullptr;
    }
    void save() { window->findChild<QPushButton*>("CmdSave")->click(); }

    AppSettings settings;
    jvztest::FakeNotifier notifier;
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    MBLanguages lang;
    std::unique_ptr<frmOutilsJVZ> window;
    std::vector<SaveAsRequest> requests;
    QString answer;
};

} // namespace

TEST(TerminalConfigWindow, ShowsTheRecordReadOnlyOutsideExpertMode)
{
    const QString dir = scratchFolder("cnf-window");
    writeFile(dir + "termconfig.tmp", fixtureRecord());
    ConfigWindow w(false);
    ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "termconfig.tmp"));
    w.window->show();

    EXPECT_FALSE(w.window->findChild<QPushButton*>("CmdSave")->isVisible());
    EXPECT_TRUE(w.window->findChild<QPushButton*>("CmdQuit")->isVisible());
    const QList<QLineEdit*> boxes = w.window->findChildren<QLineEdit*>("Text1");
    EXPECT_EQ(boxes.size(), kTextBoxCount - 1); // no box 12
    for (QLineEdit* b : boxes)
        EXPECT_FALSE(b->isEnabled()) << b->property("index").toInt();
    const QList<QCheckBox*> checks = w.window->findChildren<QCheckBox*>("Check1");
    EXPECT_EQ(checks.size(), kCheckBoxCount);
    for (QCheckBox* c : checks)
        EXPECT_FALSE(c->isEnabled()) << c->property("index").toInt();

    // The values and the legends still show.
    EXPECT_EQ(w.box(0)->text(), "12345678");
    EXPECT_EQ(w.box(2)->text(), "M40");
    EXPECT_EQ(w.box(5)->text(), "1.5");
    EXPECT_TRUE(w.check(0)->isChecked());
    const QList<QTableWidget*> legend = w.window->findChildren<QTableWidget*>("MSHFlexGrid1");
    ASSERT_EQ(legend.size(), 3);
    for (QTableWidget* g : legend)
        ASSERT_TRUE(g->item(1, 1)) << g->property("index").toInt();
    EXPECT_EQ(w.window->findChild<QLabel*>("LblProdId")->text(), "Product reference");
}

TEST(TerminalConfigWindow, SavingOneTickChangesOneBitAndKeepsTheWindow)
{
    const QString dir = scratchFolder("cnf-save-window");
    writeFile(dir + "termconfig.tmp", fixtureRecord());
    ConfigWindow w(true);
    ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "termconfig.tmp"));
    w.window->show();
    ASSERT_TRUE(w.window->findChild<QPushButton*>("CmdSave")->isVisible());
    EXPECT_TRUE(w.box(0)->isEnabled());

    w.check(56)->setChecked(true); // USB H: bit 0 of byte 28
    w.answer = dir + "saved.cnf";
    w.save();

    ASSERT_EQ(w.requests.size(), 1u);
    EXPECT_EQ(w.requests[0].fileName, "TERMINAL");
    EXPECT_TRUE(w.requests[0].filter.contains("(*.cnf)"));
    EXPECT_TRUE(w.requests[0].filter.contains("(*.*)"));
    EXPECT_FALSE(w.requests[0].title.isEmpty());
    QByteArray expected = fixtureRecord();
    expected[28] = char(expected[28] | 0x01);
    EXPECT_EQ(readFile(dir + "saved.cnf").toHex(' '), expected.toHex(' '));
    EXPECT_TRUE(w.notifier.shown.empty());
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_EQ(readFile(dir + "termconfig.tmp"), fixtureRecord());
}

TEST(TerminalConfigWindow, RefusalsAndCancelWriteNothing)
{
    const QString dir = scratchFolder("cnf-refuse");
    writeFile(dir + "termconfig.tmp", fixtureRecord());
    struct Case {
        const char* what;
        int box;
        const char* text;
        const char* named; // the box as the message names it
    };
    const Case cases[] = {
        {"TID box of four digits", 17, "1234", "TZ3"},
        {"hex box", 0, "12X4", "Product reference"},
        {"size", 6, "4096", "Total FLASH"},
        {"country code", 13, "", "country code"},
    };
    for (const Case& c : cases) {
        ConfigWindow w(true);
        ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "termconfig.tmp"));
        w.box(c.box)->setText(c.text);
        w.answer = dir + "never.cnf";
        w.save();
        EXPECT_TRUE(w.requests.empty()) << c.what; // refused before the dialog
        EXPECT_EQ(w.writer.beginCalls(), 0) << c.what;
        ASSERT_EQ(w.notifier.shown.size(), 1u) << c.what;
        EXPECT_TRUE(w.notifier.shown[0].text.startsWith(QString::fromLatin1(c.named) + " : "))
            << w.notifier.shown[0].text.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir + "never.cnf"));

    ConfigWindow cancel(true);
    ASSERT_TRUE(cancel.window->Init_JVZ_Tool(cancel.lang, dir + "termconfig.tmp"));
    cancel.answer.clear();
    cancel.save();
    EXPECT_EQ(cancel.requests.size(), 1u);
    EXPECT_EQ(cancel.writer.beginCalls(), 0);
    EXPECT_TRUE(cancel.notifier.shown.empty());
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 1);
}

TEST(TerminalConfigWindow, UserNumberFormatShownAndReadBack)
{
    const QString dir = scratchFolder("cnf-locale");
    writeFile(dir + "termconfig.tmp", fixtureRecord());
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    {
        ConfigWindow w(true, 2);
        ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "termconfig.tmp"));
        EXPECT_EQ(w.box(5)->text(), "1,5");
        EXPECT_EQ(w.window->findChild<QPushButton*>("CmdSave")->text(), "Enregistrer");
        w.answer = dir + "same.cnf";
        w.save();
        EXPECT_EQ(readFile(dir + "same.cnf"), fixtureRecord());
        w.box(6)->setText("2,5"); // typed in the user's format: halves to even
        w.answer = dir + "typed.cnf";
        w.save();
        EXPECT_EQ(readFile(dir + "typed.cnf").mid(23, 4).toHex(), "00002000");
        EXPECT_TRUE(w.notifier.shown.empty());
    }
    QLocale::setDefault(saved);
}

TEST(TerminalConfigWindow, ShortFileIsReportedAndNothingShown)
{
    const QString dir = scratchFolder("cnf-short");
    writeFile(dir + "full.tmp", fixtureRecord());
    writeFile(dir + "short.tmp", fixtureRecord().left(40));
    ConfigWindow w(true);
    ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "full.tmp"));
    EXPECT_FALSE(w.window->Init_JVZ_Tool(w.lang, dir + "short.tmp"));
    ASSERT_EQ(w.notifier.shown.size(), 1u);
    EXPECT_TRUE(w.notifier.shown[0].text.startsWith(dir + "short.tmp : "));
    for (QLineEdit* b : w.window->findChildren<QLineEdit*>("Text1"))
        EXPECT_TRUE(b->text().isEmpty()) << b->property("index").toInt();
    for (QCheckBox* c : w.window->findChildren<QCheckBox*>("Check1"))
        EXPECT_FALSE(c->isChecked());
    EXPECT_FALSE(w.window->findChild<QPushButton*>("CmdSave")->isEnabled());
}

TEST(TerminalConfigWindow, Screenshot)
{
    const QString dir = scratchFolder("cnf-shot");
    writeFile(dir + "termconfig.tmp", fixtureRecord());
    ConfigWindow w(true);
    ASSERT_TRUE(w.window->Init_JVZ_Tool(w.lang, dir + "termconfig.tmp"));
    w.window->show();
    w.window->adjustSize();
    const QString shots = jvztest::binDir() + "/../screenshots";
    QDir().mkpath(shots);
    EXPECT_TRUE(w.window->grab().save(shots + "/terminal_config.png"));
}

namespace {

// A terminal holding one configuration file.
class ConfigTerminal final : public FtpClient {
public:
    uint32_t open(const QString&, uint16_t, const QByteArray&, const QByteArray&) override { return 0; }
    bool isOpen() const override { return true; }
    void close() override {}
    uint32_t setCurrentDirectory(const QByteArray&) override { return 0; }
    QByteArray currentDirectory() const override { return "\\SWAP\\"; }
    uint32_t getFile(const QByteArray& remote, const QString& local, FetchBound) override
    {
        gets.push_back(remote);
        if (!files.contains(remote))
            return m_last = FtpError::ExtendedError;
        writeFile(local, files.value(remote));
        return m_last = FtpError::None;
    }
    uint32_t putFile(const QString&, const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t deleteFile(const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t renameFile(const QByteArray&, const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t listDirectory(QByteArrayList*) override { return 0; }
    QByteArray lastResponse() const override { return "550 not found"; }
    uint32_t lastError() const override { return m_last; }

    QMap<QByteArray, QByteArray> files;
    QByteArrayList gets;

private:
    uint32_t m_last = 0;
};

} // namespace

TEST(TerminalInfoCommand, FetchesShowsAndDeletesTheCopy)
{
    jvztest::TransferWorld world;
    world.tempFolder = scratchFolder("cnf-temp");
    ConfigTerminal terminal;
    terminal.files.insert("\\SWAP\\TERMINAL.CNF", fixtureRecord());
    TransferContext ctx = world.context(terminal);
    AppSettings settings;
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);
    TerminalConfigCommand command(ctx, settings, writer, nullptr);

    QString shownValue;
    bool copyPresentWhileShown = false;
    command.setShowModal([&](frmOutilsJVZ& window) {
        shownValue = window.textBox(2)->text();
        copyPresentWhileShown = QFile::exists(world.tempFolder + "termconfig.tmp");
    });
    command.MNU_Terminal_Info_Click();
    EXPECT_EQ(terminal.gets, QByteArrayList{"\\SWAP\\TERMINAL.CNF"});
    EXPECT_EQ(shownValue, "M40");
    EXPECT_TRUE(copyPresentWhileShown);
    EXPECT_FALSE(QFile::exists(world.tempFolder + "termconfig.tmp"));
    EXPECT_TRUE(world.notifier.shown.empty());

    // A short file: reported by the window, never shown, the copy deleted all the same.
    terminal.files.insert("\\SWAP\\TERMINAL.CNF", "short");
    int shows = 0;
    command.setShowModal([&](frmOutilsJVZ&) { ++shows; });
    command.MNU_Terminal_Info_Click();
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(world.notifier.shown.size(), 1u);
    EXPECT_FALSE(QFile::exists(world.tempFolder + "termconfig.tmp"));

    // A file the terminal does not give: reported, no window.
    terminal.files.clear();
    command.MNU_Terminal_Info_Click();
    EXPECT_EQ(shows, 0);
    ASSERT_EQ(world.notifier.shown.size(), 2u);
    EXPECT_TRUE(world.notifier.shown[1].text.startsWith("\\SWAP\\TERMINAL.CNF : "));
}
