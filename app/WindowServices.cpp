#include "WindowServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <cstdio>
#include <cstdlib>

namespace zorv {
namespace {

std::optional<QString> ShowOpenDialog(QWidget* parent, const BrowseRequest& r) {
    QFileDialog dialog(parent, QString(), r.initDir, r.filter);
    // Any name may be typed, as in the classic dialog without "file must exist".
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!r.fileName.trimmed().isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void EndAtOnce(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

WindowServices DefaultWindowServices() {
    WindowServices s;
    s.BrowseForFile = ShowOpenDialog;
    s.OpenDocument = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    s.Exit = EndAtOnce;
    return s;
}

} // namespace zorv
