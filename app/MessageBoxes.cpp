#include "MessageBoxes.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace zorv {
namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const MessageRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(BoxIcon(request.icon), kAppTitle, request.text,
                                             QMessageBox::Ok, parent);
    box->setWindowIcon(QIcon(QStringLiteral(":/zorvqarn/ZorvQarn.xpm")));
    if (request.systemModal) {
        box->setWindowModality(Qt::ApplicationModal);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    return box;
}

void InstallMessageBoxes() {
    SetMessageHandler([](const MessageRequest& request) {
        MakeMessageBox(request, QApplication::activeWindow())->exec();
    });
}

} // namespace zorv
