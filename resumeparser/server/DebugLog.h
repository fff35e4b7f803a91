// The parser's debug log in the temporary folder: one line per call and outcome while the
// client's DebugMode is on. Resume text never goes into it, only its length.
#pragma once

#include <QString>
#include <mutex>

namespace zorv::rp {

class DebugLog {
public:
    // "ZorvPr_debug.log" in the user's temporary folder.
    static QString FilePath();

    // Starts logging: writes a header line for this process.
    void Start();
    // Turns logging of calls and outcomes on or off.
    void SetEnabled(bool enabled);
    // Appends a line when logging is on; ignores failures.
    void Write(const QString& line);

private:
    void Append(const QString& line);

    std::mutex mutex_;
    bool enabled_ = false;
};

} // namespace zorv::rp
