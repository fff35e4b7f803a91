// What the Create pipeline uses of the resume processing client: its public properties
// (plain values, no side effects) and ProcessResume. clsProcessResume implements it.
#pragma once

#include <QString>
#include <cstdint>

namespace zorv {

struct ProcessResumeProperties {
    bool UseFullParser = false;
    QString TableName;
    QString SingularName;
    QString ResumeFileName;
    QString XMLResumeFileName;
    QString ResumeContent;
    QString XMLResume;
    QString DatabaseName;
    QString DataPath;
    QString CustomizePath;
    bool PutResumeContentInXML = false;
    bool CleanupPhoneNumbers = false;
    std::int32_t TimeOutSeconds = 60;
    std::int32_t NTries = 2;
    bool DebugMode = false;
    QString ErrMsg;
};

class IProcessResume : public ProcessResumeProperties {
public:
    virtual ~IProcessResume() = default;
    // Runs "Convert", "Parse" or "Extract" and returns whether it succeeded.
    virtual bool ProcessResume(const QString& What) = 0;
};

} // namespace zorv
