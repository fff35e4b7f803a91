#include "Wait.h"

#include <QAbstractEventDispatcher>
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
    // The thread's dispatcher, not a nested QEventLoop: once the application has been asked
    // to quit (its window closed during a run), every nested loop returns at once and the
    // wait would spin a core until its deadline.
    QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (clock.nsecsElapsed() <= deadlineNs) {
        const qint64 remainingMs = (deadlineNs - clock.nsecsElapsed()) / 1000000 + 1;
        wake.start(std::chrono::milliseconds(remainingMs));
        if (dispatcher)
            dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            QThread::msleep(static_cast<unsigned long>(remainingMs));
    }
}

void SetBusyPointer(IMousePointerTarget& window) {
    window.SetMousePointer(vbHourglass);
}
void SetNormalPointer(IMousePointerTarget& window) {
    window.SetMousePointer(vbDefault);
}

} // namespace zorv
