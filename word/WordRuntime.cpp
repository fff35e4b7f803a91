#include "WordAutomation.h"

#include "ZorvError.h"

namespace zorv::word {
namespace {

struct Runtime {
    std::weak_ptr<Application> running;
};

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

} // namespace

void Document::FillTemplate(const TokenRecord&) {
    throw ZorvError(ErrInvalidCall,
                    QStringLiteral("This word processor cannot fill template blocks."));
}

bool Document::UsesTemplateBlocks(bool* redact) {
    if (redact)
        *redact = false;
    return false;
}

std::shared_ptr<Application> GetRunningApplication() {
    if (auto app = TheRuntime().running.lock())
        return app;
    throw ZorvError(ErrCannotCreateComponent,
                    QStringLiteral("No word processor instance is running."));
}

std::shared_ptr<Application> CreateApplication(const ApplicationFactory& factory) {
    Runtime& rt = TheRuntime();
    if (!factory)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("No word processor engine is available in this program."));
    std::shared_ptr<Application> app = factory();
    if (!app)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("The word processor engine could not be started."));
    rt.running = app;
    return app;
}

void ApplicationQuit(const Application* application) {
    Runtime& rt = TheRuntime();
    if (auto app = rt.running.lock(); app && app.get() == application)
        rt.running.reset();
}

} // namespace zorv::word
