// The names and version of the ZorvPr line protocol (resumeparser/server/PROTOCOL.md), one
// definition for the client (parser/) and the server (resumeparser/server): a name written
// twice could drift apart on one side only.
#pragma once

#include "ZorvError.h"

#include <QLatin1String>
#include <QStringView>

namespace zorv::protocol {

// The version the server's greeting carries and the client insists on.
inline constexpr int kVersion = 1;

// Keys of the JSON objects on the wire.
namespace keys {
inline constexpr QLatin1String kId("id");
inline constexpr QLatin1String kCall("call");
inline constexpr QLatin1String kName("name");
inline constexpr QLatin1String kValue("value");
inline constexpr QLatin1String kOk("ok");
inline constexpr QLatin1String kError("error");
inline constexpr QLatin1String kCode("code");
inline constexpr QLatin1String kEvent("event");
inline constexpr QLatin1String kProtocol("protocol");
// An event's fields.
inline constexpr QLatin1String kWhat("What");
inline constexpr QLatin1String kDoneOk("OK");
inline constexpr QLatin1String kMsg("Msg");
inline constexpr QLatin1String kText("Text");
inline constexpr QLatin1String kSeconds("Seconds");
} // namespace keys

// Events, the value of keys::kEvent.
namespace events {
inline constexpr QLatin1String kReady("Ready");
inline constexpr QLatin1String kDone("Done");
inline constexpr QLatin1String kMessage("Message");
} // namespace events

// Calls, the value of keys::kCall.
namespace calls {
inline constexpr QLatin1String kSet("set");
inline constexpr QLatin1String kGet("get");
inline constexpr QLatin1String kPrepare("Prepare");
inline constexpr QLatin1String kFinishSetup("FinishSetup");
inline constexpr QLatin1String kStartDebug("StartDebug");
// The actions: replied to at once, ended by a Done event.
inline constexpr QLatin1String kConvert("Convert");
inline constexpr QLatin1String kParse("Parse");
inline constexpr QLatin1String kExtract("Extract");
} // namespace calls

inline bool IsAction(QStringView name) {
    return name == calls::kConvert || name == calls::kParse || name == calls::kExtract;
}

// Properties, the value of keys::kName in "set" and "get".
namespace props {
inline constexpr QLatin1String kTableName("TableName");
inline constexpr QLatin1String kSingularName("SingularName");
inline constexpr QLatin1String kResumeFileName("ResumeFileName");
inline constexpr QLatin1String kXMLResumeFileName("XMLResumeFileName");
inline constexpr QLatin1String kResumeContent("ResumeContent");
inline constexpr QLatin1String kPutResumeContentInXML("PutResumeContentInXML");
inline constexpr QLatin1String kCleanupPhoneNumbers("CleanupPhoneNumbers");
inline constexpr QLatin1String kDatabaseName("DatabaseName");
inline constexpr QLatin1String kDataPath("DataPath");
inline constexpr QLatin1String kCustomizePath("CustomizePath");
inline constexpr QLatin1String kUseFullParser("UseFullParser");
inline constexpr QLatin1String kParseContactInfoOnly("ParseContactInfoOnly");
inline constexpr QLatin1String kResumeCountry("ResumeCountry");
inline constexpr QLatin1String kDebugMode("DebugMode");
inline constexpr QLatin1String kDoneReceived("DoneReceived");
inline constexpr QLatin1String kXMLResume("XMLResume");
} // namespace props

// The codes of a refusal (keys::kCode): which error the client raises.
namespace codes {
inline constexpr int kNoSuchMember = 438;
inline constexpr int kTypeMismatch = ErrTypeMismatch;
inline constexpr int kRefused = 440;
} // namespace codes

} // namespace zorv::protocol
