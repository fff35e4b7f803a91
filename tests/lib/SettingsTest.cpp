// The settings store: one INI file per application under the user's configuration folder.
#include "Settings.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zorv;

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", old_); }
    QTemporaryDir dir_;
    QByteArray old_;
};

TEST_F(SettingsStore, MissingValueGivesDefault) {
    EXPECT_EQ(GetSetting("ZorvOne", "OptionsMyRecord", "ResumeCountry", "dflt"),
              QStringLiteral("dflt"));
    EXPECT_EQ(GetSetting("ZorvOne", "OptionsMyRecord", "ResumeCountry"), QString());
}

TEST_F(SettingsStore, WrittenValueIsInTheApplicationsIniFile) {
    const QString value = QStringLiteral("/home/u/Templates/Acme, Inc. ñ.docx");
    SaveSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", value);
    EXPECT_EQ(SettingsLocation("ZorvOne"), dir_.path() + QStringLiteral("/ZorvOne.ini"));
    EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "ResumeTemplate"), value);
    EXPECT_TRUE(test::ReadFile(dir_.path() + "/ZorvOne.ini").contains("[ZorvQarn]"));
}

TEST_F(SettingsStore, ReadsWhatTheHostWrote) {
    ASSERT_TRUE(test::WriteFile(dir_.path() + "/ZorvOne.ini",
                                "[OptionsMyRecord]\nResumeCountry=CA\nUseFullParser=1\n"));
    EXPECT_EQ(GetSetting("ZorvOne", "OptionsMyRecord", "ResumeCountry"), QStringLiteral("CA"));
    EXPECT_EQ(GetSetting("ZorvOne", "OptionsMyRecord", "UseFullParser", "0"), QStringLiteral("1"));
}

TEST_F(SettingsStore, ValuesComeBackExactlyWhateverTheyHold) {
    const QStringList values = {"a,b",     "a, b",     ",",           "\"quoted\"", "say \"a,b\"",
                                "a;b ; c", "é ñ 日本", "trailing  ",  "  leading",  "back\\slash",
                                "=x=",     "#hash",    "@Variant(x)", "[[Name]]",   "a\tb"};
    for (const QString& value : values) {
        SaveSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", value);
        EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "ResumeTemplate"), value)
            << value.toStdString();
    }
}

TEST_F(SettingsStore, HandWrittenValuesComeBackAsTheyStand) {
    ASSERT_TRUE(test::WriteFile(dir_.path() + "/ZorvOne.ini",
                                "[ZorvQarn]\nA=/t/a,b.docx\nB=x, y,z\nC=a;b\nD=caf\xc3\xa9\n"));
    EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "A"), QStringLiteral("/t/a,b.docx"));
    EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "B"), QStringLiteral("x, y,z"));
    EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "C"), QStringLiteral("a;b"));
    EXPECT_EQ(GetSetting("ZorvOne", "ZorvQarn", "D"), QString::fromUtf8("caf\xc3\xa9"));
}
