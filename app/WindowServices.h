// What the main window asks of the desktop: an open-file dialog, opening a document with its
// associated application, and ending the program. Tests put their own in place.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace zorv {

struct BrowseRequest {
    QString initDir;  // the folder the dialog opens in
    QString filter;   // one entry, in Qt's syntax: "Name (*.a *.b)"
    QString fileName; // the proposed file name
};

struct WindowServices {
    // The chosen file, or nothing when the user cancelled.
    std::function<std::optional<QString>(QWidget* parent, const BrowseRequest&)> BrowseForFile;
    // Opens the file with the desktop's associated application; false when that failed.
    std::function<bool(const QUrl&)> OpenDocument;
    // Ends the program at once: no other handler and no teardown runs.
    std::function<void(int status)> Exit;
};

WindowServices DefaultWindowServices();

} // namespace zorv
