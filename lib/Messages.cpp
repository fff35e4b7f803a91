#include "Messages.h"

#include <cstdio>

namespace zorv {
namespace {

void WriteToStderr(const MessageRequest& m) {
    QString text = m.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s: %s\n", qPrintable(kAppTitle), text.toLocal8Bit().constData());
    std::fflush(stderr);
}

MessageHandler& CurrentHandler() {
    static MessageHandler handler = WriteToStderr;
    return handler;
}

} // namespace

void ShowMessage(const QString& text, MsgIcon icon, bool systemModal) {
    CurrentHandler()(MessageRequest{text, icon, systemModal});
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(CurrentHandler());
    CurrentHandler() = handler ? std::move(handler) : MessageHandler(WriteToStderr);
    return previous;
}

ScopedMessageHandler::ScopedMessageHandler(MessageHandler handler)
    : previous_(SetMessageHandler(std::move(handler))) {}

ScopedMessageHandler::~ScopedMessageHandler() {
    SetMessageHandler(std::move(previous_));
}

ScopedPathInMessages::ScopedPathInMessages(const QString& actual, const QString& shown) {
    // The handler forwards to the one it replaces, which lives in previous_ until then.
    previous_ = SetMessageHandler([this, actual, shown](const MessageRequest& m) {
        MessageRequest named = m;
        if (!actual.isEmpty())
            named.text.replace(actual, shown);
        previous_(named);
    });
}

ScopedPathInMessages::~ScopedPathInMessages() {
    SetMessageHandler(std::move(previous_));
}

} // namespace zorv
