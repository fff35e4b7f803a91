#include "Wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace zorv {

void WaitSeconds(float seconds) {
    if (!(seconds >= 0.0f))
        return; // negative (or NaN): at once, no events
    // Clamp absurd requests to a day so the nanosecond count cannot overflow.
    const double limited = std::min(static_cast<double>(seconds), 86400.0);
    const qint64 deadlineNs = static_cast<qint64>(limited * 1e9);
    QElapsedTimer clock;
    clock.start();

    if (!QCoreApplication::instance()) {
        QThread::usleep(static_cast<unsigned long>(deadlineNs / 1000) + 1);
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (clock.nsecsElapsed() <= deadlineNs) {
        const qint64 remainingMs = (deadlineNs - clock.nsecsElapsed()) / 1000000 + 1;
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(remainingMs), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}

void SetBusyPointer(IMousePointerTarget& window) {
    window.SetMousePointer(vbHourglass);
}
void SetNormalPointer(IMousePointerTarget& window) {
    window.SetMousePointer(vbDefault);
}

} // namespace zorv
