// The host's data folder and database name, and the start-up values built from them.
#include "HostAppInfo.h"
#include "HostEnvironment.h"
#include "LoadStartupValues.h"
#include "ZorvError.h"

using namespace zorv;

namespace {

class StartupValuesTest : public test::HostEnvironment {};

TEST_F(StartupValuesTest, WithoutAnInstalledHostThePerUserDefaultsServe) {
    const StartupValues v = LoadStartupValues();
    EXPECT_EQ(v.HostAppPath, "");
    EXPECT_EQ(v.DataPath, Path("data") + "/ZorvOne/");
    EXPECT_EQ(v.CustomizePath, Path("data") + "/ZorvOne/Customize/");
    EXPECT_EQ(v.DatabaseName, "ZorvOne");
}

TEST_F(StartupValuesTest, AnInstalledHostNamesItsDataInItsSettingsFile) {
    RegisterHost(Path("host") + "/ZorvOne");
    MakeFile("host/HostAppInfo.ini",
             "[HostAppInfo]\nDataPath=/srv/zorvone/data\nDatabaseName=Acme, Inc\n");
    const StartupValues v = LoadStartupValues();
    EXPECT_EQ(v.HostAppPath, Path("host") + "/");
    EXPECT_EQ(v.DataPath, "/srv/zorvone/data/");
    EXPECT_EQ(v.CustomizePath, "/srv/zorvone/data/Customize/");
    EXPECT_EQ(v.DatabaseName, "Acme, Inc");
}

TEST_F(StartupValuesTest, ARelativeDataPathLiesInTheInstallationFolder) {
    RegisterHost(Path("host") + "/ZorvOne");
    MakeFile("host/HostAppInfo.ini", "[HostAppInfo]\nDataPath=Data/\n");
    const StartupValues v = LoadStartupValues();
    EXPECT_EQ(v.DataPath, Path("host") + "/Data/");
    EXPECT_EQ(v.DatabaseName, "ZorvOne"); // a missing key takes the default
}

TEST_F(StartupValuesTest, AnInstalledHostWithoutASettingsFileUsesTheDefaults) {
    RegisterHost(Path("host") + "/ZorvOne");
    const StartupValues v = LoadStartupValues();
    EXPECT_EQ(v.HostAppPath, Path("host") + "/");
    EXPECT_EQ(v.DataPath, Path("data") + "/ZorvOne/");
    EXPECT_EQ(v.DatabaseName, "ZorvOne");
}

TEST_F(StartupValuesTest, ASettingsFileThatCannotBeReadIsAnError) {
    RegisterHost(Path("host") + "/ZorvOne");
    QDir().mkpath(Path("host/HostAppInfo.ini")); // a folder where the file should be
    EXPECT_THROW(LoadStartupValues(), ZorvError);
}

} // namespace
