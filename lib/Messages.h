// User messages: one small interface for a message box, so that logic runs headless.
// The window shows a QMessageBox, qarn prints to standard error, tests record.
#pragma once

#include <QString>
#include <functional>

namespace zorv {

inline const QString kAppTitle = QStringLiteral("ZorvQarn");

enum class MsgIcon { None, Information, Exclamation, Critical };

struct MessageRequest {
    QString text;
    MsgIcon icon = MsgIcon::Information;
    bool systemModal = false;
};

using MessageHandler = std::function<void(const MessageRequest&)>;

// Shows a message with one OK button and the application's title; returns when it is closed.
void ShowMessage(const QString& text, MsgIcon icon = MsgIcon::Information,
                 bool systemModal = false);

// Installs the handler that shows messages from now on and returns the previous one.
// An empty handler restores the default, which writes to standard error.
MessageHandler SetMessageHandler(MessageHandler handler);

// Installs a handler for the lifetime of this object and restores the previous one.
class ScopedMessageHandler {
public:
    explicit ScopedMessageHandler(MessageHandler handler);
    ~ScopedMessageHandler();
    ScopedMessageHandler(const ScopedMessageHandler&) = delete;
    ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

private:
    MessageHandler previous_;
};

// While it lives, messages name `shown` wherever they would name `actual`: the messages
// about a working copy name the file the user asked for.
class ScopedPathInMessages {
public:
    ScopedPathInMessages(const QString& actual, const QString& shown);
    ~ScopedPathInMessages();
    ScopedPathInMessages(const ScopedPathInMessages&) = delete;
    ScopedPathInMessages& operator=(const ScopedPathInMessages&) = delete;

private:
    MessageHandler previous_;
};

} // namespace zorv
