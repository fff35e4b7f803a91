// The registry layer over hive files: the App Paths lookup table in every accepted file
// flavour, value reading, expansion, and hives that are missing or malformed.
#include "RegFuncs.h"
#include "RegistryHive.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zorv;

namespace {

const QString kAppPaths =
    QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");

// Points the registry at a hive for one test and restores the default afterwards.
class HiveTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetRegistryHivePath(QString());
        qunsetenv("SystemDrive");
        qunsetenv("ZORV_LONG");
    }
    void UseHive(const QString& path) { SetRegistryHivePath(path); }
    // Writes a REGEDIT4 hive (8-bit) from the lines after its header.
    void UseText(const QByteArray& text) {
        const QString path = dir_.filePath(QStringLiteral("hive.reg"));
        ASSERT_TRUE(test::WriteFile(path, text));
        UseHive(path);
    }
    QTemporaryDir dir_;
};

class AppPathTable : public HiveTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AppPathTable, GivesTheFolderOfEachRegistration) {
    UseHive(test::DataPath(QStringLiteral("registry/") + QLatin1String(GetParam())));
    qputenv("SystemDrive", "C:");
    EXPECT_EQ(GetAppPath("Plain.exe"), "C:\\Apps\\Host\\");
    EXPECT_EQ(GetAppPath("Quoted.exe"), "C:\\Apps\\Host\\");
    EXPECT_EQ(GetAppPath("Expand.exe"), "C:\\Apps\\Host\\");
    EXPECT_EQ(GetAppPath("Forward.exe"), "C:/Apps/Host/");
    EXPECT_EQ(GetAppPath("NoSeparator.exe"), "");
    EXPECT_EQ(GetAppPath("Number.exe"), "");
    EXPECT_EQ(GetAppPath("NoDefault.exe"), "");
    EXPECT_EQ(GetAppPath("Missing.exe"), "");
    EXPECT_EQ(GetAppPath("UserOnly.exe"), ""); // registered for the user, not the machine
    EXPECT_EQ(GetAppPath("Accent.exe"), QStringLiteral("C:\\Apps\\H\u00f4te\\"));
    EXPECT_EQ(GetAppPath("ZorvOne.exe"), "/opt/zorvone/");
    EXPECT_EQ(GetAppPath("zorvone.EXE"), "/opt/zorvone/"); // keys ignore case
}

INSTANTIATE_TEST_SUITE_P(Flavours, AppPathTable,
                         ::testing::Values("apppaths-v5.reg", "apppaths-v5-utf8.reg",
                                           "apppaths-v4.reg"));

TEST_F(HiveTest, AnUnsetVariableStaysAsWritten) {
    UseHive(test::DataPath("registry/apppaths-v5.reg"));
    EXPECT_EQ(GetAppPath("Expand.exe"), "%SystemDrive%\\Apps\\Host\\");
}

TEST_F(HiveTest, AnExpansionLongerThanTheClassicBufferIsReturnedWhole) {
    const QByteArray longFolder = "/" + QByteArray(1500, 'x');
    qputenv("ZORV_LONG", longFolder);
    QByteArray hex;
    for (char c : QByteArray("%ZORV_LONG%/ZorvOne"))
        hex += QByteArray::number(static_cast<unsigned char>(c), 16) + ",";
    hex += "00";
    UseText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + kAppPaths.toLatin1() +
            "ZorvOne.exe]\r\n@=hex(2):" + hex + "\r\n");
    EXPECT_EQ(GetAppPath("ZorvOne.exe"), QString::fromLatin1(longFolder + "/"));
}

TEST_F(HiveTest, ReadsNamedValuesWithEscapesAndIgnoresCase) {
    UseText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zorv]\n"
            "\"Say \\\"hi\\\"\" = \"a\\\\b \\\"c\\\"\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Blob\"=hex:01,02\n"
            "\"Gone\"=\"x\"\n"
            "\"Gone\"=-\n"
            "\"Twice\"=\"first\"\n"
            "\"twice\"=\"second\"\n"
            "\"Cut\"=hex(1):61,00,62,00\n");
    RegKeyHandle key = 0;
    ASSERT_TRUE(OpenRegKey(kHKeyLocalMachine, "software\\ZORV", key));
    QString v;
    EXPECT_TRUE(RegQueryString(key, "say \"HI\"", v));
    EXPECT_EQ(v, "a\\b \"c\"");
    EXPECT_TRUE(RegQueryString(key, "Twice", v));
    EXPECT_EQ(v, "second");
    EXPECT_TRUE(RegQueryString(key, "Cut", v)); // stored bytes are cut at the first NUL
    EXPECT_EQ(v, "a");
    v = "unchanged";
    EXPECT_FALSE(RegQueryString(key, "Count", v));
    EXPECT_FALSE(RegQueryString(key, "Blob", v));
    EXPECT_FALSE(RegQueryString(key, "Gone", v));
    EXPECT_FALSE(RegQueryString(key, "", v));
    EXPECT_EQ(v, "unchanged");
    CloseRegKey(key);
    EXPECT_FALSE(RegQueryString(key, "Twice", v)); // a closed handle reads nothing
}

TEST_F(HiveTest, KeysOpenThroughTheirSubkeysAndRelativeToAnOpenKey) {
    UseHive(test::DataPath("registry/apppaths-v5.reg"));
    RegKeyHandle parent = 0;
    ASSERT_TRUE(OpenRegKey(kHKeyLocalMachine, CurrentVersionKey(), parent));
    RegKeyHandle child = 0;
    ASSERT_TRUE(OpenRegKey(parent, "App Paths\\Plain.exe", child));
    QString v;
    EXPECT_TRUE(RegQueryString(child, "Path", v));
    EXPECT_EQ(v, "C:\\Apps\\Host");
    CloseRegKey(child);
    CloseRegKey(parent);
    RegKeyHandle missing = 0;
    EXPECT_FALSE(OpenRegKey(kHKeyLocalMachine, "SOFTWARE\\Nobody", missing));
    EXPECT_FALSE(OpenRegKey(kHKeyLocalMachine, "SOFT", missing)); // a prefix is not a key
}

TEST_F(HiveTest, ARemovedKeyTakesItsSubkeysAndLaterValuesWithIt) {
    UseText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n@=\"/x/y\"\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n"
            "[-HKEY_LOCAL_MACHINE\\A]\n@=\"ignored\"\n[HKEY_LOCAL_MACHINE\\D]\n");
    RegKeyHandle key = 0;
    EXPECT_FALSE(OpenRegKey(kHKeyLocalMachine, "A\\B", key));
    EXPECT_FALSE(OpenRegKey(kHKeyLocalMachine, "A", key));
    ASSERT_TRUE(OpenRegKey(kHKeyLocalMachine, "D", key));
    CloseRegKey(key);
}

TEST_F(HiveTest, TheMachineHiveLiesUnderEtc) {
    EXPECT_EQ(DefaultRegistryHivePath(), "/etc/zorv/registry.reg");
    SetRegistryHivePath("/somewhere/else.reg");
    EXPECT_EQ(RegistryHivePath(), "/somewhere/else.reg");
    SetRegistryHivePath(QString());
    EXPECT_EQ(RegistryHivePath(), DefaultRegistryHivePath());
}

// A hive that breaks the format is an empty registry, whatever else it holds.
TEST_F(HiveTest, AMissingOrMalformedHiveIsAnEmptyRegistry) {
    UseHive(dir_.filePath("none.reg"));
    EXPECT_EQ(GetAppPath("ZorvOne.exe"), "");

    const QByteArray good =
        "[HKEY_LOCAL_MACHINE\\" + kAppPaths.toLatin1() + "ZorvOne.exe]\r\n@=\"/opt/z/ZorvOne\"\r\n";
    UseText("REGEDIT4\r\n" + good);
    EXPECT_EQ(GetAppPath("ZorvOne.exe"), "/opt/z/");

    const QList<QByteArray> broken = {
        good,                                           // no header
        "REGEDIT5\r\n" + good,                          // unknown header
        "REGEDIT4\r\n@=\"/before/any/key\"\r\n" + good, // value outside a key
        "REGEDIT4\r\n" + good + "junk\r\n",
        "REGEDIT4\r\n" + good + "\"x\"=dword:123456789\r\n", // nine digits
        "REGEDIT4\r\n" + good + "\"x\"=hex:1,zz\r\n",
        "REGEDIT4\r\n" + good + "\"x\"=hex:01,\\\r\n",   // ends inside a list
        "REGEDIT4\r\n" + good + "\"x\"=\"open\r\n",      // unterminated string
        "REGEDIT4\r\n" + good + "[HKEY_NOWHERE\\x]\r\n", // unknown root
        "REGEDIT4\r\n" + good + "\"x\"=\"a\"trailing\r\n",
        QByteArray("\xFF\xFE", 2) + "REGEDIT4", // odd UTF-16 length
    };
    for (const QByteArray& text : broken) {
        UseText(text);
        EXPECT_EQ(GetAppPath("ZorvOne.exe"), "") << text.toStdString();
    }
}

TEST(RegistryHive, EveryTruncatedFileParsesCleanly) {
    const QByteArray full = test::ReadFile(test::DataPath("registry/apppaths-v5.reg"));
    ASSERT_FALSE(full.isEmpty());
    for (qsizetype n = 0; n < full.size(); ++n) {
        const RegistryHive hive = RegistryHive::Parse(full.left(n));
        const auto values = hive.ValuesOf("HKEY_LOCAL_MACHINE\\" + kAppPaths + "Plain.exe");
        const auto it = values.find(QString());
        if (it != values.end()) {
            EXPECT_TRUE(QStringLiteral("C:\\Apps\\Host\\ZorvOne.exe").startsWith(it->second.text));
        }
    }
}

} // namespace
