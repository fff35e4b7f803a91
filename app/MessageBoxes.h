// The window's way of showing messages: a QMessageBox with the application's title, the
// message's icon and a single OK button.
#pragma once

#include "Messages.h"

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace zorv {

std::unique_ptr<QMessageBox> MakeMessageBox(const MessageRequest& request, QWidget* parent);

// Makes every ShowMessage from now on a modal message box over the active window.
void InstallMessageBoxes();

} // namespace zorv
