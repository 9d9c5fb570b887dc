#include "app/HandlerGuard.h"

#include "common/BrevolanError.h"
#include "common/Prompts.h"

#include <QDebug>

namespace brevolan {

namespace {
void show(Prompts &prompts, const QString &message) noexcept
{
    try {
        prompts.error(withFullStop(message));
    } catch (...) {
        // The box itself failed: there is nobody left to tell but the log.
        qCritical().noquote() << message;
    }
}
} // namespace

void runGuarded(Prompts &prompts, const std::function<void()> &handler) noexcept
{
    try {
        handler();
    } catch (const BrevolanError &e) {
        show(prompts, e.message());
    } catch (const std::exception &e) {
        show(prompts, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        show(prompts, QStringLiteral("Unexpected error"));
    }
}

} // namespace brevolan
